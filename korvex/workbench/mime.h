#pragma once
// Signals dragged from the tree to a graph travel as their host ids.

#include <QMimeData>
#include <QStringList>
#include <vector>

namespace workbench {

inline constexpr const char* kSignalMime = "application/x-korvex-signal-ids";

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

}  // namespace workbench
