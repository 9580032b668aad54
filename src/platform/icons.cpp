#include "platform/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace platform {

namespace {
struct Look {
    QColor colour;
    QString mark;
};

Look lookOf(Picture p) {
    switch (p) {
    case Picture::Backup:
        return {QColor(30, 110, 200), QStringLiteral("T")};
    case Picture::BackupError:
        return {QColor(200, 30, 30), QStringLiteral("!")};
    case Picture::Error:
        return {QColor(220, 0, 0), QStringLiteral("!")};
    case Picture::Information:
        return {QColor(20, 150, 40), QStringLiteral("i")};
    case Picture::New:
        return {QColor(60, 160, 60), QStringLiteral("+")};
    case Picture::Edit:
        return {QColor(200, 150, 20), QStringLiteral("Ä")};
    case Picture::Delete:
        return {QColor(190, 40, 40), QStringLiteral("×")};
    case Picture::Run:
        return {QColor(30, 110, 200), QStringLiteral("▶")};
    case Picture::Schedule:
        return {QColor(120, 70, 170), QStringLiteral("S")};
    case Picture::Sync:
        return {QColor(20, 140, 150), QStringLiteral("⇄")};
    case Picture::Setup:
        return {QColor(100, 100, 100), QStringLiteral("⚙")};
    case Picture::Restore:
        return {QColor(200, 110, 20), QStringLiteral("↶")};
    case Picture::ProgramLog:
        return {QColor(80, 80, 140), QStringLiteral("L")};
    case Picture::About:
        return {QColor(40, 120, 180), QStringLiteral("?")};
    case Picture::Hand:
        return {QColor(80, 80, 80), QStringLiteral("☝")};
    case Picture::Remove:
        return {QColor(190, 40, 40), QStringLiteral("−")};
    case Picture::Folder:
        return {QColor(220, 180, 60), QStringLiteral("")};
    case Picture::Ok:
        return {QColor(30, 160, 60), QStringLiteral("✓")};
    case Picture::Warning:
        return {QColor(230, 160, 0), QStringLiteral("!")};
    }
    return {Qt::gray, {}};
}
} // namespace

QPixmap picture(Picture p, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    const Look look = lookOf(p);
    QPainterPath path;
    if (p == Picture::Error || p == Picture::Information || p == Picture::Ok)
        path.addEllipse(QRectF(1, 1, size - 2, size - 2));
    else
        path.addRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 5.0, size / 5.0);
    g.fillPath(path, look.colour);
    g.setPen(Qt::white);
    QFont f = g.font();
    f.setBold(true);
    f.setPixelSize(size * 2 / 3);
    g.setFont(f);
    g.drawText(QRect(0, 0, size, size), Qt::AlignCenter, look.mark);
    return pm;
}

QIcon icon(Picture p) {
    QIcon i;
    for (int s : {16, 24, 32, 48})
        i.addPixmap(picture(p, s));
    return i;
}

} // namespace platform
