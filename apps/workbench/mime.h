#pragma once
// Signals dragged from the tree to a graph travel as their host ids, folders
// (for the strips a spectrum or map graph draws) as their tree paths.

#include <QMimeData>
#include <QStringList>
#include <vector>

namespace workbench {

inline constexpr const char* kSignalMime = "application/x-korvex-signal-ids";
inline constexpr const char* kFolderMime = "application/x-korvex-folder-paths";

inline void PutSignalIds(QMimeData& mime, const std::vector<int>& ids) {
    QStringList parts;
    for (int id : ids) parts << QString::number(id);
    mime.setData(kSignalMime, parts.join(',').toUtf8());
}

inline std::vector<int> SignalIdsFromMime(const QMimeData& mime) {
    std::vector<int> ids;
    for (const QString& part : QString::fromUtf8(mime.data(kSignalMime)).split(',')) {
        bool ok = false;
        const int id = part.toInt(&ok);
        if (ok && id > 0) ids.push_back(id);
    }
    return ids;
}

inline void PutFolderPaths(QMimeData& mime, const QStringList& paths) {
    mime.setData(kFolderMime, paths.join('\n').toUtf8());
}

inline QStringList FolderPathsFromMime(const QMimeData& mime) {
    return QString::fromUtf8(mime.data(kFolderMime)).split('\n', Qt::SkipEmptyParts);
}

}  // namespace workbench
