// Layout and window geometry of the backup window. Measures are twips (15 to a pixel).
#include "run/backup_window.h"

#include "core/program.h"
#include "core/window_geometry.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "run/run_status.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

int px(double twips) {
    return qRound(twips / 15.0);
}
int tw(int pixels) {
    return pixels * 15;
}

int twLeft(const QWidget* w) {
    return tw(w->x());
}
int twTop(const QWidget* w) {
    return tw(w->y());
}
int twWidth(const QWidget* w) {
    return tw(w->width());
}
int twHeight(const QWidget* w) {
    return tw(w->height());
}
void setLeft(QWidget* w, double v) {
    w->move(px(v), w->y());
}
void setTop(QWidget* w, double v) {
    w->move(w->x(), px(v));
}
void setWidth(QWidget* w, double v) {
    if (v >= 0)
        w->resize(px(v), w->height());
}
void setHeight(QWidget* w, double v) {
    if (v >= 0)
        w->resize(w->width(), px(v));
}

// Title bar and borders in twips, as the platform reports them.
int decorationHeight(const QWidget* w) {
    return tw(std::max(0, w->frameGeometry().height() - w->height()));
}
int decorationWidth(const QWidget* w) {
    return tw(std::max(0, w->frameGeometry().width() - w->width()));
}
// The bottom row is placed from the outer height; the rules assume a title bar and borders of
// at least the usual 450 twips, so a thin or missing frame never puts the buttons on the frames.
int layoutDecorationHeight(const QWidget* w) {
    return std::max(decorationHeight(w), 450);
}

// Height of the strip between the right frame and the bottom row: two lines and a gap.
constexpr int kRunLines = 2 * 240 + 30;

} // namespace

void frmutförbackup::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmutförbackup::Form_Resize() {
    if (windowState() & Qt::WindowMinimized)
        return;
    const int decoH = decorationHeight(this);
    const int decoW = decorationWidth(this);
    // 1, 2: the minimum outer size; the resize comes back here with the new size.
    if (height() * 15 + decoH < 6915 || width() * 15 + decoW < 9480) {
        const int h = std::max(height() * 15 + decoH, 6915) - decoH;
        const int w = std::max(width() * 15 + decoW, 9480) - decoW;
        resize(px(w), px(h));
        return;
    }
    const int innerW = width() * 15;
    const int innerH = height() * 15;
    const int outerH = innerH + layoutDecorationHeight(this);

    setWidth(Frame1, innerW / 2.0 - 225 - 760);      // 3
    setWidth(Frame2, twWidth(Frame1) + 840 + 840);   // 4
    setLeft(Frame2, twWidth(Frame1) + 225);          // 5
    setWidth(List1, twWidth(Frame1) - 225);          // 6
    setWidth(List2, twWidth(Frame2) - 225);          // 7
    setWidth(txtfil, twWidth(List2));                // 8
    for (QFrame* p : {Picture1, Picture2, Picture3}) // 9
        setWidth(p, twWidth(List2) - 1320);
    if (cmdkörbackup->isEnabled()) { // 10, 11
        // A finished run's bars stay full; before any run they stay empty, not read as done.
        for (QLabel* l : {lblprocent1, lblprocent2, lblprocent3})
            if (l->width() > 0)
                setWidth(l, twWidth(List2));
        lblprocent3->clear();
    }
    setWidth(txtbackup, twWidth(List2)); // 12
    setWidth(txtloggtext, twWidth(List2));
    setLeft(cmdavbryt, twWidth(Frame1) + 220); // 13
    setLeft(cmdpaus, twWidth(Frame1) + 1195);  // 14
    setWidth(lbl1, twWidth(Frame2) - 855);     // 15
    setWidth(lbl2, twWidth(Frame2) - 855);
    setLeft(lbl1, twLeft(Frame2)); // 16
    setLeft(lbl2, twLeft(Frame2));
    setLeft(cmdkörbackup, innerW - 1415);                 // 17
    setLeft(cmdkörbackup2, twLeft(cmdkörbackup));         // 18
    setLeft(Command4, twLeft(cmdkörbackup) - 120 - 1335); // 19
    setLeft(cmdmarkera1, twWidth(List1) - 1350);          // 20
    setLeft(cmdmarkera2, twWidth(List1) - 1350);
    setHeight(Frame1, innerH - 730);                  // 21
    setHeight(List1, twHeight(Frame1) - 855 - 240);   // 22
    setTop(cmdmarkera1, twHeight(List1) + 240);       // 23
    setTop(cmdmarkera2, twHeight(List1) + 525);       // 24
    setTop(chkbackupsimulera, twHeight(List1) + 275); // 25
    setTop(chksync, twTop(chkbackupsimulera) + 260);  // 26
    setTop(chksyncsimulera, twTop(chksync) + 260);    // 27
    // 28: the right frame leaves room below it for the two run lines (lbl1, lbl2), which the
    // bottom row's buttons would otherwise cover.
    setHeight(Frame2, twHeight(Frame1) - kRunLines);
    setHeight(List2, twHeight(Frame2) / 2.0 + 300);        // 29
    setHeight(txtloggtext, twHeight(Frame2) / 2.0 - 2100); // 30
    for (QWidget* w : {static_cast<QWidget*>(cmdvisalogg), static_cast<QWidget*>(Command4),
                       static_cast<QWidget*>(cmdkörbackup)}) // 31
        setTop(w, outerH - 1035);
    setTop(cmdkörbackup2, twTop(cmdkörbackup));                                           // 32
    setTop(imgerr, outerH - 975);                                                         // 33
    setTop(lblantalfel, twTop(imgerr) + 240);                                             // 34
    setTop(txtloggtext, twTop(List2) + twHeight(List2));                                  // 35
    for (QWidget* w : {static_cast<QWidget*>(cmdavbryt), static_cast<QWidget*>(cmdpaus)}) // 36
        setTop(w, outerH - 1035);
    setTop(lbl1, twTop(Frame2) + twHeight(Frame2) + 30); // 36, 37: below the right frame
    setTop(lbl2, twTop(lbl1) + 240);
    setTop(lblhjälp, twTop(cmdvisalogg) + 105);   // 38
    setWidth(txtsammanställning, twWidth(List2)); // 39
    setHeight(txtsammanställning, twHeight(List2));
    setTop(txtmapparkvar, twTop(txtloggtext) + twHeight(txtloggtext));          // 40
    setTop(lblantalfelrätt, twTop(txtmapparkvar));                              // 41
    setLeft(lblantalfelrätt, twWidth(txtmapparkvar) + 120);                     // 42
    setWidth(lblantalfelrätt, twWidth(Frame2) - twLeft(lblantalfelrätt) - 120); // 43
    setTop(txtfil, twTop(txtmapparkvar) + 240);                                 // 44
    setTop(txtbackup, twTop(txtfil) + 240);                                     // 45
    setTop(Picture3, twTop(txtbackup) + 240);                                   // 46
    setTop(Picture1, twTop(Picture3) + 240);                                    // 47
    setTop(Picture2, twTop(Picture1) + 240);                                    // 48
    setTop(lblprocentmapp, twTop(Picture3) + 20);                               // 49
    setTop(lblprocentjobb, twTop(Picture1) + 20);
    setTop(lblprocenttotal, twTop(Picture2) + 20);
    // The error count stands alone under the error picture: it says what it counts.
    lblantalfel->setToolTip(QStringLiteral("Antal fel"));
}

void frmutförbackup::open_windowsize() {
    geometry::restoreWindow(this, QStringLiteral("backup"),
                            QStringLiteral("Ett fel uppstod när backupfönstrets storlek och position skulle "
                                           "laddas. Plats: Utför backup, open_windowsize. Felkod "));
}

void frmutförbackup::spara_windowsize() {
    try {
        geometry::saveWindow(geometry::geometryFile(QStringLiteral("backup")), this);
    } catch (const platform::RunError&) {
    }
}
