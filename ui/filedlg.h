#pragma once
// Open and save file dialogs with a filter from the string table. Tests
// replace the dialog with a hook that sees the request and answers it.

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace ui {

struct FileRequest {
    bool save = false;
    std::string filter;            // "Name|*.json||": pairs of a name and its patterns
    std::string defaultExt;        // added when the typed name has none
    std::string initial;           // a folder, or a file name to start with
    bool confirmOverwrite = true;  // save: ask before replacing an existing file
};

// The chosen path, or none when the user cancelled.
std::optional<std::string> AskFileName(QWidget* parent, const FileRequest& request);

using FileDialogHook = std::function<std::optional<std::string>(const FileRequest&)>;
// Replaces the dialog; an empty hook brings it back. Returns the previous hook.
FileDialogHook SetFileDialogHook(FileDialogHook hook);

}  // namespace ui
