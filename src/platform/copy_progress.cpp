#include "platform/copy_progress.h"

#include "platform/events.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QPointer>
#include <QProgressDialog>
#include <algorithm>
#include <limits>

namespace platform {

namespace {
QPointer<QProgressDialog> current;
}

QProgressDialog* currentCopyProgress() {
    return current.data();
}

void copyShowingProgress(const QString& source, const QString& target, QWidget* parent,
                         const std::function<bool()>& cancelled) {
    const FileInfo info = fileInfo(source);
    // The bar counts kibibytes so that files above 2 GB fit its int range.
    const int total = int(std::min<qint64>(info.size / 1024 + 1, std::numeric_limits<int>::max()));
    QProgressDialog dialog(QStringLiteral("Kopierar %1").arg(lastPiece(source)), QStringLiteral("Avbryt"), 0,
                           total, parent);
    dialog.setWindowTitle(QStringLiteral("Tamrel Backup"));
    dialog.setMinimumDuration(1000);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setValue(0);
    const QPointer<QProgressDialog> previous = current;
    current = &dialog;
    struct Restore {
        const QPointer<QProgressDialog>& previous;
        ~Restore() { current = previous; }
    } restore{previous};

    copyKeepTime(
        source, target,
        [&] {
            if (cancelled && cancelled())
                return true;
            doEventsThrottled();
            return dialog.wasCanceled();
        },
        [&](qint64 done) { dialog.setValue(int(std::min<qint64>(done / 1024, total))); });
}

} // namespace platform
