// A data file opened on a worker, with a progress window while a long recording is copied.

#include "apps/workbench/loadjob.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "apps/workbench/texts.h"

namespace workbench {

Loaded LoadWithProgress(QWidget* parent, korvex::Host& host, const QString& path,
                        korvex::ReadOptions options) {
    struct Shared {
        std::atomic<int> permille{-1};  // of the copy; -1 while none is made
        std::atomic<bool> stop{false};
        std::atomic<bool> done{false};
    };
    auto shared = std::make_shared<Shared>();
    options.progress = [shared](double done) {
        shared->permille.store(static_cast<int>(done * 1000.0), std::memory_order_relaxed);
        return !shared->stop.load(std::memory_order_relaxed);
    };
    Loaded loaded;
    const std::string file = path.toStdString();
    std::thread worker([&loaded, &host, file, options, shared] {
        loaded.folder = host.LoadDataFile(file, options, &loaded.message);
        shared->done.store(true);
    });

    // Shown only while a copy is made, and only once it takes a while.
    std::unique_ptr<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (shared->done.load()) {
            loop.quit();
            return;
        }
        const int permille = shared->permille.load(std::memory_order_relaxed);
        if (permille < 0 || clock.elapsed() < 500) return;
        if (!dialog) {
            dialog = std::make_unique<QProgressDialog>(
                QString(wbtext::kCopyProgress).arg(QFileInfo(path).fileName()), wbtext::kStop, 0,
                1000, parent);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoReset(false);
            dialog->setAutoClose(false);
            QObject::connect(dialog.get(), &QProgressDialog::canceled,
                             [shared] { shared->stop.store(true, std::memory_order_relaxed); });
            dialog->show();
        }
        if (!dialog->wasCanceled()) dialog->setValue(permille);
    });
    timer.start(50);
    loop.exec();
    worker.join();
    loaded.stopped = !loaded.folder && shared->stop.load();
    return loaded;
}

}  // namespace workbench
