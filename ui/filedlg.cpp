// Open and save file dialogs with filters from the string table, and their test hook.

#include "ui/filedlg.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/dialogs.h"
#include "ui/rules/freqrules.h"

namespace ui {
namespace {

FileDialogHook& Hook() {
    static FileDialogHook hook;
    return hook;
}

// In the folder of the initial file with its name filled in; a folder (one
// that exists, or a path ending in "/") opens with no name.
void StartAt(QFileDialog& dlg, const std::string& initial) {
    if (initial.empty()) return;
    const QString path = QStr(initial);
    const QFileInfo info(path);
    if (path.endsWith('/') || info.isDir()) {
        dlg.setDirectory(path);
        return;
    }
    dlg.setDirectory(info.absolutePath());
    dlg.selectFile(info.absoluteFilePath());
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
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    StartAt(dlg, request.initial);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return StdStr(dlg.selectedFiles().first());
}

}  // namespace ui
