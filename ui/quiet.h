#pragma once
// A page's change notifications switched off for a scope, so that filling
// its controls from the records is not taken for an edit by the user.

namespace ui {

class Quiet {
  public:
    explicit Quiet(bool& flag) : flag_(flag), was_(flag) { flag_ = false; }
    ~Quiet() { flag_ = was_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

  private:
    bool& flag_;
    bool was_;
};

}  // namespace ui
