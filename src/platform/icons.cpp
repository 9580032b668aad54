#include "platform/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

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
    case Picture::SourceFolders:
        return {QColor(236, 186, 60), QString()};
    case Picture::FolderRefresh:
        return {QColor(40, 150, 80), QStringLiteral("↻")};
    case Picture::FolderOpen:
        return {QColor(30, 110, 200), QStringLiteral("↗")};
    case Picture::Refresh:
        return {QColor(40, 150, 80), QStringLiteral("↻")};
    case Picture::Ok:
        return {QColor(30, 160, 60), QStringLiteral("✓")};
    case Picture::Warning:
        return {QColor(230, 160, 0), QStringLiteral("!")};
    }
    return {Qt::gray, {}};
}

bool isFolder(Picture p) {
    return p == Picture::Folder || p == Picture::FolderRefresh || p == Picture::FolderOpen ||
           p == Picture::SourceFolders;
}

// A yellow folder with a darker edge in the square (x, y, s): a tab at the top left over the body.
void drawFolder(QPainter& g, qreal x, qreal y, qreal s) {
    const QColor fill(236, 186, 60);
    const QColor edge(150, 105, 15);
    QPainterPath folder;
    folder.addRoundedRect(QRectF(x + s * 0.06, y + s * 0.14, s * 0.40, s * 0.22), s * 0.05, s * 0.05);
    folder.addRoundedRect(QRectF(x + s * 0.06, y + s * 0.24, s * 0.88, s * 0.62), s * 0.07, s * 0.07);
    folder.setFillRule(Qt::WindingFill);
    g.setPen(QPen(edge, std::max<qreal>(1.0, s / 16.0)));
    g.setBrush(fill);
    g.drawPath(folder.simplified());
    // The front flap, so the shape reads as a folder and not as a plain box.
    g.drawLine(QPointF(x + s * 0.10, y + s * 0.38), QPointF(x + s * 0.90, y + s * 0.38));
}

// A round badge with a white mark in the lower right corner, over a folder.
void drawBadge(QPainter& g, int size, const QColor& colour, const QString& mark) {
    const qreal d = size * 0.60;
    const QRectF r(size - d, size - d, d, d);
    g.setPen(QPen(Qt::white, std::max<qreal>(1.0, size / 24.0)));
    g.setBrush(colour);
    g.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
    QFont f = g.font();
    f.setBold(true);
    f.setPixelSize(std::max(6, int(d * 0.80)));
    g.setFont(f);
    g.drawText(r, Qt::AlignCenter, mark);
}
} // namespace

QPixmap picture(Picture p, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    const Look look = lookOf(p);
    if (isFolder(p)) {
        if (p == Picture::SourceFolders) {
            drawFolder(g, size * 0.22, 0, size * 0.78);
            drawFolder(g, 0, size * 0.22, size * 0.78);
        } else {
            drawFolder(g, 0, 0, size);
        }
        if (!look.mark.isEmpty())
            drawBadge(g, size, look.colour, look.mark);
        return pm;
    }
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
