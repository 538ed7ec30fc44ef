#pragma once
// Message boxes with texts from the string table. Tests replace the box
// with a hook that records the request and answers it.

#include <functional>
#include <string>

class QWidget;

namespace ui {

enum class MbIcon { Error, Warning, Information, Question };
enum class MbButtons { Ok, YesNo };
enum MbResult : int { MbOk = 1, MbCancel = 2, MbYes = 6, MbNo = 7 };

struct MbRequest {
    std::string text;
    std::string caption;
    MbIcon icon = MbIcon::Information;
    MbButtons buttons = MbButtons::Ok;
};

// Shows the box (or asks the hook) and returns the button pressed.
int MessageBox(QWidget* parent, const MbRequest& request);
// Text and caption by string id; the text may be pre-formatted by the caller.
int MessageBox(QWidget* parent, int textId, int captionId, MbIcon icon,
               MbButtons buttons = MbButtons::Ok);
int MessageBoxText(QWidget* parent, const std::string& text, int captionId, MbIcon icon,
                   MbButtons buttons = MbButtons::Ok);

using MessageBoxHook = std::function<int(const MbRequest&)>;
// Replaces the box; an empty hook brings it back. Returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

}  // namespace ui
