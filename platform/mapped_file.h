#pragma once
// A file mapped read-only into memory, so that a recording larger than the
// memory is read where it lies: its pages come in when touched and go again
// when given back, and nothing of it counts twice.

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/dispatch.h"

namespace plat {

class MappedFile final : public RefCounted {
  public:
    // The whole regular file mapped; null with error (naming the file) when
    // it cannot be, or when it is empty.
    static ObjPtr<MappedFile> Open(const std::string& path, std::string& error);
    ~MappedFile() override;

    const unsigned char* Data() const { return data_; }
    uint64_t Size() const { return size_; }
    const std::string& Path() const { return path_; }

    // Gives back the resident pages wholly inside [from, to) (byte offsets):
    // they are read from the file again when next touched.
    void GiveBack(uint64_t from, uint64_t to) const;
    // Whether the file on disk is still the one mapped: same size and
    // modification time. A file cut shorter would fault on reading.
    bool Unchanged() const;

  private:
    MappedFile() = default;
    std::string path_;
    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
    int64_t mtimeNs_ = 0;
    ino_t inode_ = 0;
};

}  // namespace plat
