// Message boxes with texts from the string table, and their test hook.

#include "ui/msgbox.h"

#include <QMessageBox>

#include "ui/dialogs.h"

namespace ui {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon QtIcon(MbIcon icon) {
    switch (icon) {
        case MbIcon::Error:
            return QMessageBox::Critical;
        case MbIcon::Warning:
            return QMessageBox::Warning;
        case MbIcon::Question:
            return QMessageBox::Question;
        case MbIcon::Information:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

int MessageBox(QWidget* parent, const MbRequest& r) {
    if (Hook()) return Hook()(r);
    QMessageBox box(QtIcon(r.icon), QStr(r.caption), QStr(r.text), QMessageBox::NoButton, parent);
    if (r.buttons == MbButtons::YesNo) {
        box.setDefaultButton(box.addButton(QMessageBox::Yes));
        box.addButton(QMessageBox::No);
    } else {
        box.addButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (r.buttons == MbButtons::YesNo) return answer == QMessageBox::Yes ? MbYes : MbNo;
    return MbOk;
}

int MessageBoxText(QWidget* parent, const std::string& text, int captionId, MbIcon icon,
                   MbButtons buttons) {
    return MessageBox(parent, MbRequest{text, res::Str(captionId), icon, buttons});
}

int MessageBox(QWidget* parent, int textId, int captionId, MbIcon icon, MbButtons buttons) {
    return MessageBoxText(parent, res::Str(textId), captionId, icon, buttons);
}

}  // namespace ui
