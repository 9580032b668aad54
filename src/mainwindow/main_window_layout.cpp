// Layout, geometry file, tray click and button locking of the main window.
#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "platform/icons.h"
#include "run/backup_window.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {
constexpr int tw(int twips) {
    return twips / geometry::kTwipsPerPixel;
}

// The design size of the window's client area, and of the toolbar column.
constexpr int kDesignWidth = tw(10800);
constexpr int kDesignHeight = tw(7800);
constexpr int kToolbarHeight = tw(5700);
constexpr int kMinWidth = tw(7100);
// The bottom strip is measured from the window's outer bottom edge; a framed window's caption
// and borders add about this much, so the strip sits the same with or without a window manager.
constexpr int kCaptionAllowance = tw(570);

// Places `w` at `r`, given in the coordinates of `container`, whatever `w`'s parent is.
void placeIn(QWidget* w, QWidget* container, const QRect& r) {
    if (!w || !container)
        return;
    QWidget* parent = w->parentWidget();
    if (parent == container || !parent) {
        w->setGeometry(r);
        return;
    }
    const QPoint offset =
        container->mapTo(container->window(), QPoint(0, 0)) - parent->mapTo(parent->window(), QPoint(0, 0));
    w->setGeometry(r.translated(offset));
}

// The rectangle of `w` in the coordinates of `container`.
QRect rectIn(const QWidget* w, const QWidget* container) {
    const QWidget* parent = w->parentWidget();
    if (parent == container || !parent)
        return w->geometry();
    const QPoint offset =
        parent->mapTo(parent->window(), QPoint(0, 0)) - container->mapTo(container->window(), QPoint(0, 0));
    return w->geometry().translated(offset);
}
} // namespace

void frmmain::createLayoutControls() {
    QWidget* c = centralWidget();
    picmeny = new QFrame(c);
    picmeny->setObjectName(QStringLiteral("picmeny"));
    picmeny->setFrameShape(QFrame::StyledPanel);
    picmeny->setGeometry(0, 0, tw(1935), kToolbarHeight);
    Frame1 = new QFrame(c);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(tw(2040), 0, kDesignWidth - tw(2115), kDesignHeight - tw(760));
    framejobb = new QFrame(c);
    framejobb->setObjectName(QStringLiteral("framejobb"));
    framejobb->setFrameShape(QFrame::StyledPanel);
    Timerfönstersize = new QTimer(this);
    Timerfönstersize->setObjectName(QStringLiteral("Timerfönstersize"));
    Timerfönstersize->setInterval(2000);
    QObject::connect(Timerfönstersize, &QTimer::timeout, this, [this] { Timerfönstersize_Timer(); });
    setMinimumSize(kMinWidth, kToolbarHeight + tw(1380));
    resize(kDesignWidth, kDesignHeight);
}

void frmmain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (laidOut_)
        Form_Resize();
}

void frmmain::Form_Resize() {
    try {
        if (windowState() & Qt::WindowMinimized) {
            if (chkaktiveraschema && chkaktiveraschema->isChecked() && platform::TrayIcon::available())
                hide();
            return;
        }
        const QSize extra = frameGeometry().size() - size();
        if (width() + extra.width() < minOuterWidth_)
            resize(minOuterWidth_ - extra.width(), height());
        const int toolbarHeight = picmeny ? picmeny->height() : kToolbarHeight;
        if (height() + extra.height() < toolbarHeight + tw(1380))
            resize(width(), toolbarHeight + tw(1380) - extra.height());
        layOutControls();
        Timerfönstersize_Tag = QStringLiteral("1");
    } catch (...) {
    }
}

void frmmain::layOutControls() {
    try {
        const QSize extra = frameGeometry().size() - size();
        QWidget* c = centralWidget();
        const int cw = c->width() > 0 ? c->width() : width();
        const int ch = c->height() > 0 ? c->height() : height();
        // The outer size, as if a caption and borders were there.
        const int outerW = width() + extra.width();
        const int outerH = height() + std::max(extra.height(), kCaptionAllowance);

        // What lies beside the toolbar belongs to the job view: under a panel it would peek out below
        // the panel's edge at small heights, and a hidden control takes no keyboard focus.
        const bool viewCovered =
            (framesnabbstart && !framesnabbstart->isHidden()) || (frameschema && !frameschema->isHidden());
        for (const char* name : {"cmdprogramlogg", "lblhjälp", "lbldonera2"})
            if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)); w && w->isHidden() != viewCovered)
                w->setVisible(!viewCovered);

        // The bottom strip follows the outer window edges; the main area gives up what its notices
        // take beyond their one line.
        cmdvisalogg->move(outerW - tw(1170), outerH - tw(1035));
        lblstatus->setGeometry(lblstatus->x(), outerH - tw(855), cmdvisalogg->x() - tw(60) - lblstatus->x(),
                               lblstatus->height());
        const int stripHeight = placeBottomStrip(lblstatus->y() - tw(240), cmdvisalogg->x() - tw(120));

        Frame1->setGeometry(tw(2040), Frame1->y(), cw - tw(2115), ch - tw(760) - stripHeight);
        const int fw = Frame1->width();
        const int fh = Frame1->height();

        // The group buttons take as many rows as the width asks for; the count and the list follow.
        const int groupsBottom = placeGroupButtons(fw);
        if (lblinställningar)
            placeIn(lblinställningar, Frame1,
                    QRect(0, groupsBottom, lblinställningar->width(), lblinställningar->height()));
        int listRight = fw / 3;
        if (listinställningar) {
            QRect r = rectIn(listinställningar, Frame1);
            r.moveTop(groupsBottom + tw(195));
            r.setLeft(std::max(0, r.left()));
            r.setWidth(fw / 3);
            r.setHeight(fh - r.top() - tw(40));
            placeIn(listinställningar, Frame1, r);
            listRight = r.right() + 1;
        }
        const int jobTop = tw(360);
        const QRect jobRect(listRight + tw(120), jobTop, fw - fw / 3 - tw(360), fh - jobTop - tw(40));
        placeIn(framejobb, Frame1, jobRect);

        for (const char* name : {"cmduppdateraallt", "cmduppdatera", "cmdöppnamålmapp", "cmdåterställdenna",
                                 "cmdbackupdirekt"}) {
            if (auto* b = findChild<QWidget*>(QString::fromUtf8(name))) {
                QRect r = rectIn(b, framejobb);
                r.moveLeft(framejobb->width() - tw(395));
                placeIn(b, framejobb, r);
            }
        }
        // The job's details take the frame's width up to the count labels beside them, which stay
        // left of the button column, as wide as their longest text, however narrow the window.
        const int labelsWidth = countLabelsWidth();
        const int labelsLeft = std::max(tw(240), framejobb->width() - tw(395) - tw(90) - labelsWidth);
        for (const char* name : {"txtjobbnamn", "combomappar", "listmappar", "txtsammanställning"}) {
            if (auto* w = framejobb->findChild<QWidget*>(QString::fromUtf8(name))) {
                QRect r = rectIn(w, framejobb);
                r.setRight(labelsLeft - tw(120) - 1);
                placeIn(w, framejobb, r);
            }
        }
        for (const char* name : {"lblhuvudmappar", "lblallamappar", "lblexmappar"}) {
            if (auto* w = framejobb->findChild<QWidget*>(QString::fromUtf8(name))) {
                QRect r = rectIn(w, framejobb);
                r.moveLeft(labelsLeft);
                r.setWidth(labelsWidth);
                placeIn(w, framejobb, r);
            }
        }
        auto* list = findChild<QWidget*>(QStringLiteral("listmappar"));
        auto* summary = findChild<QWidget*>(QStringLiteral("txtsammanställning"));
        if (list && summary) {
            const QRect l = rectIn(list, framejobb);
            QRect r = rectIn(summary, framejobb);
            r.setTop(l.bottom() + 1 + tw(60));
            r.setBottom(framejobb->height() - tw(120) - 1);
            // Below the count labels the summary takes their column too, up to the job buttons.
            r.setRight(labelsLeft + labelsWidth - 1);
            placeIn(summary, framejobb, r);
        }

        // The panels lie over the toolbar and the main area and leave the bottom strip in view.
        const QRect panels(0, 0, cw, fh + tw(120));
        if (frameschema) {
            frameschema->setGeometry(panels);
            // The finished runs and the log of the one clicked share the panel's width, with the
            // panel's margin below them as beside them.
            const int logTop = tw(3780);
            const int logHeight = frameschema->height() - logTop - tw(120);
            const int listWidth = (frameschema->width() - 3 * tw(120)) / 2;
            if (listschemalogg)
                listschemalogg->setGeometry(tw(120), logTop, listWidth, logHeight);
            if (txtschemalogg)
                txtschemalogg->setGeometry(2 * tw(120) + listWidth, logTop,
                                           frameschema->width() - 3 * tw(120) - listWidth, logHeight);
            if (lblprocent && lblprocent->parentWidget() != frameschema)
                lblprocent->parentWidget()->resize(frameschema->width() - 2 * tw(120),
                                                   lblprocent->parentWidget()->height());
            // The views reach the panel's right edge.
            for (QWidget* v :
                 {static_cast<QWidget*>(frameschemaaktiv), static_cast<QWidget*>(frameschemapågår),
                  static_cast<QWidget*>(txtschemavisajobb)})
                if (v)
                    v->resize(frameschema->width() - v->x() - tw(120), v->height());
        }
        if (framesnabbstart)
            framesnabbstart->setGeometry(panels);
        const bool schedulerOn = chkaktiveraschema && chkaktiveraschema->isChecked() && frameschema;
        const QWidget* host =
            schedulerOn ? static_cast<QWidget*>(frameschema) : static_cast<QWidget*>(Frame1);
        framesyslogg->resize(host->size());
        lblsyslogg_rödfel->resize(framesyslogg->width() - lblsyslogg_rödfel->x() - tw(240),
                                  lblsyslogg_rödfel->height());
        txtsyslogg->setGeometry(txtsyslogg->x(), txtsyslogg->y(), framesyslogg->width(),
                                framesyslogg->height() - txtsyslogg->y());
        hideCovered();
    } catch (...) {
    }
}

int frmmain::placeBottomStrip(int lineTop, int right) {
    // The notices and the last-run line, in reading order, on the line above the status line, side
    // by side where they fit, else on rows of their own above it, never cut: a text wider than a
    // whole row wraps. The last-run line ends beside "Visa logg". Returns the height of the rows
    // above the first one.
    const int step = std::max(tw(240), lblstatus2->fontMetrics().height());
    const int gap = tw(240);
    std::vector<QLabel*> items;
    for (QLabel* l : {lblgammalbackup, lblstatus2}) {
        if (!l)
            continue;
        l->setWordWrap(false);
        if (l->isHidden())
            l->setGeometry(tw(120), lineTop, l->sizeHint().width(), step);
        else
            items.push_back(l);
    }
    if (Label6) {
        Label6->setWordWrap(false);
        items.push_back(Label6);
    }
    // A row that meets the toolbar column or what lies under it starts where the main area starts.
    const QWidget* column[] = {picmeny, cmdprogramlogg, findChild<QWidget*>(QStringLiteral("lblhjälp")),
                               findChild<QWidget*>(QStringLiteral("lbldonera2"))};
    const auto leftAt = [&](int top) {
        for (const QWidget* w : column)
            if (w && !w->isHidden() && w->y() < top + step && w->geometry().bottom() >= top)
                return Frame1->x();
        return tw(120);
    };
    struct Place {
        QLabel* label;
        QRect rect;
        bool wrap;
    };
    for (int rows = 1;; ++rows) {
        const auto top = [&](int row) { return lineTop - (rows - 1 - row) * step; };
        std::vector<Place> places;
        int row = 0;
        int x = leftAt(top(0));
        bool fits = true;
        for (QLabel* l : items) {
            int w = l->sizeHint().width();
            if (x > leftAt(top(row)) && x + w > right) {
                ++row;
                x = leftAt(top(row));
            }
            int height = step;
            const bool wrap = x + w > right;
            if (wrap) {
                w = std::max(right - x, 1);
                l->setWordWrap(true);
                height = (l->heightForWidth(w) + step - 1) / step * step;
                l->setWordWrap(false);
            }
            if (row + height / step > rows) {
                fits = false;
                break;
            }
            places.push_back({l, QRect(l == Label6 ? right - w : x, top(row), w, height), wrap});
            row += height / step - 1;
            x = wrap ? right + 1 : x + w + gap;
        }
        // Enough rows for any text: one more row per try.
        if (fits || rows > 20) {
            for (const Place& p : places) {
                p.label->setWordWrap(p.wrap);
                p.label->setGeometry(p.rect);
            }
            return (rows - 1) * step;
        }
    }
}

int frmmain::countLabelsWidth() const {
    return lblexmappar_label
               ? lblexmappar_label->fontMetrics().horizontalAdvance(QStringLiteral("9999 exkluderade")) + 4
               : tw(1500);
}

int frmmain::smallestOuterWidth() const {
    // The summary must hold its longest ordinary words on a line, beside the count labels and the
    // job buttons; with the system's font that can take more than 7100 twips.
    const QTextEdit* summary = txtsammanställning_text;
    if (!summary)
        return kMinWidth;
    const QFontMetrics fm = summary->fontMetrics();
    int word = 0;
    for (const char* w : {"Versionshantering:", "Programstängning:", "mappstrukturen:", "Backupsökväg:",
                          "huvudmappar,", "Exkluderade"})
        word = std::max(word, fm.horizontalAdvance(QString::fromUtf8(w)));
    const int fields = word + summary->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       2 * summary->frameWidth() + 2 * int(summary->document()->documentMargin()) + 4;
    const int job = tw(120) + fields + tw(120) + countLabelsWidth() + tw(90) + tw(395);
    int area = (job + tw(360)) * 3 / 2;
    while (area - area / 3 - tw(360) < job)
        ++area;
    return std::max(kMinWidth, area + tw(2115) + (frameGeometry().width() - width()));
}

int frmmain::placeGroupButtons(int width) {
    // Rows of buttons as wide as their captions: a button that does not fit beside the ones before
    // it begins the next row. Hidden buttons take no place; locked ones lie out of sight above.
    const int rowHeight = tw(285);
    const int gap = tw(90);
    int x = 0;
    int row = 0;
    bool any = false;
    for (QRadioButton* o : optarkiv) {
        if (!o)
            continue;
        const int w = std::min(std::max(o->sizeHint().width(), tw(1450)), std::max(width, 1));
        const bool shown = !o->isHidden();
        if (shown && any && x + w > width) {
            ++row;
            x = 0;
        }
        o->setGeometry(x, groupsLocked_ ? -tw(500) : row * rowHeight, w, rowHeight);
        if (shown) {
            x += w + gap;
            any = true;
        }
    }
    return (row + 1) * rowHeight;
}

void frmmain::Timerfönstersize_Timer() {
    if (Timerfönstersize_Tag != QLatin1String("1"))
        return;
    Timerfönstersize_Tag.clear();
    try {
        geometry::saveWindow(geometry::geometryFile(QStringLiteral("main")), this);
    } catch (...) {
    }
}

void frmmain::spara_windowsize_main() {
    geometry::saveWindow(geometry::geometryFile(QStringLiteral("main")), this);
}

void frmmain::open_windowsize_main() {
    const QString file = geometry::geometryFile(QStringLiteral("main"));
    try {
        if (!QFileInfo::exists(file)) {
            geometry::centre(this);
            return;
        }
        geometry::applyGeometry(file, this);
    } catch (const platform::RunError& e) {
        appendSystemLog(
            QStringLiteral("Ett fel uppstod när huvudfönstrets storlek och position skulle laddas. Plats: "
                           "open_windowsize_main. Felkod ") +
            QString::number(e.number) + e.description + QStringLiteral("."));
        markProgramLogError();
    }
}

void frmmain::TrayIcon1_MouseDown() {
    try {
        TrayIcon1->setPicture(platform::icon(platform::Picture::Backup));
        TrayIcon1->Tag.clear();
        frmutförbackup* b = program().loaded<frmutförbackup>();
        QWidget* w = (b && b->isVisible()) ? static_cast<QWidget*>(b) : static_cast<QWidget*>(this);
        w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        w->show();
        w->raise();
        w->activateWindow();
    } catch (...) {
    }
}

namespace {
const char* const kLockedButtons[] = {"cmdny",         "cmdändra",        "cmdtabort", "cmdkör",      "cmdom",
                                      "cmdalternativ", "cmdstartaschema", "cmdsynk",   "cmdåterställ"};
}

void frmmain::knappar_lås() {
    picmeny->setEnabled(false);
    Frame1->setEnabled(false);
    for (const char* name : kLockedButtons)
        if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)))
            w->setEnabled(false);
    groupsLocked_ = true;
    placeGroupButtons(Frame1->width());
}

void frmmain::knappar_låsupp() {
    picmeny->setEnabled(true);
    Frame1->setEnabled(true);
    for (const char* name : kLockedButtons)
        if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)))
            w->setEnabled(true);
    groupsLocked_ = false;
    placeGroupButtons(Frame1->width());
}

// ---- keyboard focus -------------------------------------------------------------------------------

void frmmain::setReadingOrder() {
    // Left to right by columns, each from the top: the toolbar and what lies under it, the panels
    // that cover the main area, the job groups and the job list, the job's fields and its buttons,
    // and last the bottom strip.
    QList<QWidget*> order;
    auto add = [&](const char* name) {
        if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)))
            order << w;
    };
    for (const char* name :
         {"txtarkiv", "picnytt", "picändra", "pictabort", "picutför", "picåterställ", "picsync", "picschema",
          "picsetup", "picprogramlogg", "picom", "cmdprogramlogg", "lblhjälp", "lbldonera2"})
        add(name);
    if (framesnabbstart)
        order << framesnabbstart->readingOrder();
    for (const char* name :
         {"cmdschema_körnu", "cmdschemapaus", "cmdschema_avaktivera", "lblhjälp2", "lblschemavisasyslogg",
          "txtschemavisajobb", "lblvisaschemajobb", "lblschema_mapp", "lblvisabackupfönstret",
          "listschemalogg", "txtschemalogg", "cmdsyslogg_dölj", "cmdsyslogg_fel", "lblsysloggsize",
          "lblsyslogg_radera", "txtsyslogg"})
        add(name);
    for (QRadioButton* o : optarkiv)
        order << o;
    for (const char* name :
         {"listinställningar", "txtjobbnamn", "combomappar", "listmappar", "txtsammanställning",
          "cmduppdateraallt", "cmduppdatera", "cmdöppnamålmapp", "cmdåterställdenna", "cmdbackupdirekt",
          "lblgammalbackup", "lblstatus2", "cmdvisalogg"})
        add(name);
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool frmmain::coveredByPanel(const QWidget* w) const {
    const QWidget* c = centralWidget();
    const QWidget* top = w;
    while (top && top->parentWidget() != c)
        top = top->parentWidget();
    if (!top)
        return false;
    const QRect r(w->mapTo(c, QPoint(0, 0)), w->size());
    const QObjectList& stack = c->children(); // later ones lie above earlier ones
    const qsizetype below = stack.indexOf(top);
    for (const QWidget* panel :
         {static_cast<const QWidget*>(framesnabbstart), static_cast<const QWidget*>(frameschema),
          static_cast<const QWidget*>(framesyslogg)})
        if (panel && panel != top && !panel->isHidden() && stack.indexOf(panel) > below &&
            panel->geometry().contains(r.center()))
            return true;
    return false;
}

std::vector<std::pair<QWidget*, QWidget*>> frmmain::coverLayers() const {
    return {{picmeny, picmeny},
            {Frame1, Frame1},
            {framejobb, framejobb},
            {framesnabbstart, framesnabbstart ? framesnabbstart->framesnabbstart2 : nullptr},
            {frameschema, schemaLayer_},
            {framesyslogg, sysloggLayer_}};
}

void frmmain::hideCovered() {
    for (const auto& [place, layer] : coverLayers()) {
        if (!place || !layer)
            continue;
        const bool covered = coveredByPanel(place);
        if (layer->isHidden() != covered)
            layer->setVisible(!covered);
    }
    // The waiting and the running view lie over one another: the one in front is the one shown.
    if (frameschemaaktiv && frameschemapågår && frameschemaaktiv->parentWidget()) {
        const QObjectList& stack = frameschemaaktiv->parentWidget()->children();
        const bool running = stack.indexOf(frameschemapågår) > stack.indexOf(frameschemaaktiv);
        if (frameschemapågår->isHidden() == running)
            frameschemapågår->setVisible(running);
        if (frameschemaaktiv->isHidden() != running)
            frameschemaaktiv->setVisible(!running);
    }
}

bool frmmain::hiddenWhenCovered(const QWidget* w) const {
    if (w == frameschemaaktiv || w == frameschemapågår)
        return true;
    const auto layers = coverLayers();
    return std::any_of(layers.begin(), layers.end(), [w](const auto& l) { return l.second == w; });
}

bool frmmain::tabStop(const QWidget* w) const {
    return w && w->window() == this && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
           w->isVisible() && w->isEnabled() && !coveredByPanel(w);
}

bool frmmain::focusNextPrevChild(bool next) {
    QWidget* from = focusWidget();
    QWidget* start = from ? from : this;
    QWidget* w = start;
    // Qt's own walk would also stop on controls that lie under a panel.
    for (;;) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == start)
            return false;
        if (tabStop(w)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
}

void frmmain::focusFront() {
    // The topmost panel that is shown starts with its first control; without one the job list.
    const QObjectList& stack = centralWidget()->children();
    const QWidget* front = nullptr;
    for (const QWidget* panel :
         {static_cast<const QWidget*>(framesnabbstart), static_cast<const QWidget*>(frameschema),
          static_cast<const QWidget*>(framesyslogg)})
        if (panel && !panel->isHidden() && (!front || stack.indexOf(panel) > stack.indexOf(front)))
            front = panel;
    QWidget* first = nullptr;
    for (QWidget* w = listinställningar->nextInFocusChain(); w && w != listinställningar;
         w = w->nextInFocusChain())
        if (front && front->isAncestorOf(w) && tabStop(w)) {
            first = w;
            break;
        }
    if (!first && tabStop(listinställningar))
        first = listinställningar;
    if (first)
        first->setFocus(Qt::OtherFocusReason);
    else
        focusNextPrevChild(true);
}

void frmmain::keepFocusInView() {
    if (!tabStop(focusWidget()))
        focusFront();
}

void frmmain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    keepFocusInView();
}
