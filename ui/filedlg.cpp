#include "ui/filedlg.h"

#include <QFileDialog>
#include <QStringList>

#include "ui/dialogs.h"
#include "ui/rules/freqrules.h"

namespace ui {
namespace {

FileDialogHook& Hook() {
    static FileDialogHook hook;
    return hook;
}

}  // namespace

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    FileDialogHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

std::optional<std::string> AskFileName(QWidget* parent, const FileRequest& request) {
    if (Hook()) return Hook()(request);
    QFileDialog dlg(parent);
    QStringList filters;
    for (const std::string& f : freqrules::DialogFilters(request.filter)) filters << QStr(f);
    dlg.setNameFilters(filters);
    dlg.setDefaultSuffix(QStr(request.defaultExt));
    if (request.save) {
        // Overwriting is confirmed by the dialog itself, unless asked not to.
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!request.initial.empty()) dlg.selectFile(QStr(request.initial));
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
        if (!request.initial.empty()) dlg.setDirectory(QStr(request.initial));
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return StdStr(dlg.selectedFiles().first());
}

}  // namespace ui
