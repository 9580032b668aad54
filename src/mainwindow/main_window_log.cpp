// System log, log panel and program log of the main window.
#include "core/log_marks.h"
#include "core/module1.h"
#include "core/program.h"
#include "logview/log_window.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/textfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
constexpr int tw(int twips) {
    return twips / 15;
}

void setTextColour(QLabel* l, const QColor& c) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, c);
    l->setPalette(p);
}
} // namespace

void frmmain::createLogControls() {
    QWidget* c = centralWidget();
    framesyslogg = new QFrame(c);
    framesyslogg->setObjectName(QStringLiteral("framesyslogg"));
    framesyslogg->setFrameShape(QFrame::StyledPanel);
    framesyslogg->setAutoFillBackground(true);
    framesyslogg->setGeometry(Frame1->geometry());
    framesyslogg->hide();
    lblsyslogginfo = new QLabel(QStringLiteral("Programlogg"), framesyslogg);
    lblsyslogginfo->setObjectName(QStringLiteral("lblsyslogginfo"));
    lblsyslogginfo->setGeometry(tw(120), tw(60), tw(3000), tw(285));
    QFont bold = lblsyslogginfo->font();
    bold.setBold(true);
    lblsyslogginfo->setFont(bold);
    cmdsyslogg_dölj = new QPushButton(QStringLiteral("<< Tillbaka"), framesyslogg);
    cmdsyslogg_dölj->setObjectName(QStringLiteral("cmdsyslogg_dölj"));
    cmdsyslogg_dölj->setGeometry(tw(120), tw(420), tw(1500), tw(375));
    cmdsyslogg_fel = new QPushButton(QStringLiteral("Rödmarkera fel"), framesyslogg);
    cmdsyslogg_fel->setObjectName(QStringLiteral("cmdsyslogg_fel"));
    cmdsyslogg_fel->setGeometry(tw(1740), tw(420), tw(1800), tw(375));
    lblsyslogg_rödfel = new QLabel(QStringLiteral("Inga fel i loggen."), framesyslogg);
    lblsyslogg_rödfel->setObjectName(QStringLiteral("lblsyslogg_rödfel"));
    lblsyslogg_rödfel->setGeometry(tw(3660), tw(480), tw(3000), tw(285));
    auto* size = platform::linkLabel(QString(), "lblsysloggsize", framesyslogg);
    size->setToolTip(QStringLiteral("Högerklicka för att öppna i externt program"));
    size->setAccessibleDescription(size->toolTip());
    size->setGeometry(tw(120), tw(900), tw(4200), tw(285));
    size->onClick = [this] { lblsysloggsize_MouseUp(Qt::LeftButton); };
    size->onRightClick = [this] { lblsysloggsize_MouseUp(Qt::RightButton); };
    lblsysloggsize = size;
    auto* radera = platform::linkLabel(QString(), "lblsyslogg_radera", framesyslogg);
    radera->setGeometry(tw(4440), tw(900), tw(3000), tw(285));
    radera->onClick = [this] { lblsyslogg_radera_Click(); };
    lblsyslogg_radera = radera;
    cmdsyslogg_loggsize = new QPushButton(QStringLiteral("loggsize"), framesyslogg);
    cmdsyslogg_loggsize->setObjectName(QStringLiteral("cmdsyslogg_loggsize"));
    cmdsyslogg_loggsize->hide();
    cmdsyslogg_sparad_fel = new QPushButton(QStringLiteral("Rödmarkera sparad logg"), framesyslogg);
    cmdsyslogg_sparad_fel->setObjectName(QStringLiteral("cmdsyslogg_sparad_fel"));
    cmdsyslogg_sparad_fel->hide();
    txtsyslogg = new QTextEdit(framesyslogg);
    txtsyslogg->setObjectName(QStringLiteral("txtsyslogg"));
    txtsyslogg->setReadOnly(true);
    txtsyslogg->setLineWrapMode(QTextEdit::NoWrap);
    txtsyslogg->setGeometry(0, tw(1260), framesyslogg->width(), framesyslogg->height() - tw(1260));
    lblsyslogginfo->setBuddy(txtsyslogg);
    sysloggLayer_ = platform::coverableLayer(framesyslogg);
    framesyslogg->installEventFilter(this);
    showSystemLogText();
    timer_syslogg = new QTimer(this);
    timer_syslogg->setObjectName(QStringLiteral("timer_syslogg"));
    QObject::connect(timer_syslogg, &QTimer::timeout, this, [this] { timer_syslogg_Timer(); });

    lblprogramlogg = new QLabel(QStringLiteral("Programlogg"), picmeny);
    lblprogramlogg->setObjectName(QStringLiteral("lblprogramlogg"));
    lblprogramlogg->setAlignment(Qt::AlignHCenter);
    lblprogramlogg->setGeometry(0, picmeny->height() - tw(600), picmeny->width(), tw(285));
    program().systemLog().setObserver(
        {[this](const QString& raw) { showSystemLogAppend(raw); }, [this] { showSystemLogText(); },
         [this](bool marked) {
             setTextColour(lblprogramlogg,
                           marked ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::ButtonText));
         }});
    if (program().systemLog().errorMarked())
        setTextColour(lblprogramlogg, QColor(255, 0, 0));
    auto* visa = platform::linkLabel(QStringLiteral("Visa programlogg"), "lblschemavisasyslogg", c);
    visa->onClick = [this] { lblschemavisasyslogg_Click(); };
    lblschemavisasyslogg = visa;
    setTextColour(lblschemavisasyslogg, QColor(0, 0, 0xC0));
    lblschemavisasyslogg->hide();
    // A long job name would run under "Visa logg": the line is cut where it ends, whole in its
    // tooltip and for a screen reader.
    lblstatus = new platform::ElidedLabel(QStringLiteral("Status: Redo"), c);
    lblstatus->setObjectName(QStringLiteral("lblstatus"));
    lblstatus->setGeometry(tw(120), 0, tw(6000), tw(255));
    auto* status2 =
        platform::linkLabel(QStringLiteral("Det finns filer som kan raderas. Klicka här."), "lblstatus2", c);
    status2->setGeometry(tw(120), 0, tw(4500), tw(255));
    status2->hide();
    status2->onClick = [this] { lblstatus2_Click(); };
    lblstatus2 = status2;
    lblstatus2->installEventFilter(this);
    cmdprogramlogg = new QPushButton(QStringLiteral("Programlogg"), c);
    cmdprogramlogg->setObjectName(QStringLiteral("cmdprogramlogg"));
    cmdprogramlogg->setGeometry(tw(120), picmeny->height() + tw(120), tw(1695), tw(375));
    cmdvisalogg = new QPushButton(QStringLiteral("Visa logg"), c);
    cmdvisalogg->setObjectName(QStringLiteral("cmdvisalogg"));
    cmdvisalogg->setToolTip(QStringLiteral("Högerklicka för externt program"));
    cmdvisalogg->resize(tw(1035), tw(375));
    cmdvisalogg->hide();

    QObject::connect(cmdprogramlogg, &QPushButton::clicked, this, [this] { cmdprogramlogg_Click(); });
    QObject::connect(cmdsyslogg_dölj, &QPushButton::clicked, this, [this] { cmdsyslogg_dölj_Click(); });
    QObject::connect(cmdsyslogg_fel, &QPushButton::clicked, this, [this] { cmdsyslogg_fel_Click(); });
    QObject::connect(cmdsyslogg_loggsize, &QPushButton::clicked, this,
                     [this] { cmdsyslogg_loggsize_Click(); });
    QObject::connect(cmdvisalogg, &QPushButton::clicked, this, [this] { cmdvisalogg_Click(); });
    cmdvisalogg->installEventFilter(this);
}

bool frmmain::eventFilter(QObject* watched, QEvent* e) {
    // A panel or a view of the scheduler panel shown, hidden or brought forward covers anew; a
    // panel that goes gives back what it covered before Qt moves the focus out of it.
    if ((e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent ||
         e->type() == QEvent::Hide || e->type() == QEvent::ZOrderChange) &&
        (watched == framesnabbstart || watched == frameschema || watched == framesyslogg ||
         watched == frameschemaaktiv || watched == frameschemapågår))
        hideCovered();
    // Shown or hidden group buttons change the rows they take; a panel over the job view hides the
    // view's loose controls beside the toolbar; a notice takes room in the bottom strip.
    if ((e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent) && laidOut_) {
        if (std::find(optarkiv.begin(), optarkiv.end(), watched) != optarkiv.end() ||
            watched == framesnabbstart || watched == frameschema)
            Form_Resize();
        else if (watched == lblstatus2 || watched == lblgammalbackup)
            layOutControls();
    }
    if (e->type() == QEvent::MouseButtonRelease) {
        const Qt::MouseButton b = static_cast<QMouseEvent*>(e)->button();
        if (watched == cmdvisalogg)
            cmdvisalogg_MouseUp(b);
    }
    return QMainWindow::eventFilter(watched, e);
}

void frmmain::showSystemLogAppend(const QString& text) {
    QTextDocument* doc = txtsyslogg->document();
    // Error marks last until the next line only; the append itself stays a cheap insert at the end.
    if (syslogMarked_) {
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        all.setCharFormat(QTextCharFormat());
        syslogMarked_ = false;
    }
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    c.setCharFormat(QTextCharFormat());
    // A paragraph break per line end keeps the box's text equal to the log's lines.
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.insertText(t);
}

void frmmain::showSystemLogText() {
    QString t = program().systemLog().text();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtsyslogg->setPlainText(t);
    syslogMarked_ = false;
}

void frmmain::spara_syslogg() {
    try {
        platform::appendText(program().path(QStringLiteral("programlogg.txt")),
                             systemLogText() + QStringLiteral("\r\n\r\n\r\n"));
    } catch (...) {
    }
}

void frmmain::cmdprogramlogg_Click() {
    if (framesyslogg->isVisible()) {
        framesyslogg->hide();
        timer_syslogg->stop();
        return;
    }
    if (TrayIcon1->Tag == QLatin1String("err")) {
        TrayIcon1->setPicture(platform::icon(platform::Picture::Backup));
        TrayIcon1->Tag.clear();
    }
    auto* frameschema = findChild<QWidget*>(QStringLiteral("frameschema"));
    const bool schedulerOn = chkaktiveraschema && chkaktiveraschema->isChecked();
    QWidget* host = (schedulerOn && frameschema) ? frameschema : static_cast<QWidget*>(Frame1);
    QRect g = host->geometry();
    if (host->parentWidget() != framesyslogg->parentWidget() && host->parentWidget())
        g.moveTopLeft(host->parentWidget()->mapTo(this, g.topLeft()) -
                      centralWidget()->mapTo(this, QPoint(0, 0)));
    framesyslogg->setGeometry(g);
    lblsyslogg_rödfel->resize(framesyslogg->width() - lblsyslogg_rödfel->x() - tw(240),
                              lblsyslogg_rödfel->height());
    txtsyslogg->setGeometry(txtsyslogg->x(), txtsyslogg->y(), framesyslogg->width(),
                            framesyslogg->height() - txtsyslogg->y());
    framesyslogg->show();
    framesyslogg->raise();
    timer_syslogg->start(30000);
    if (!schedulerOn)
        for (QRadioButton* o : optarkiv)
            if (o)
                o->raise();
    program().systemLog().clearErrorMark();
    setTextColour(lblschemavisasyslogg, QColor(0, 0, 0xC0));
    cmdsyslogg_fel_Click();
    framesyslogg->show();
    cmdsyslogg_loggsize_Click();
    keepFocusInView();
}

void frmmain::cmdsyslogg_dölj_Click() {
    framesyslogg->hide();
    timer_syslogg->stop();
}

void frmmain::timer_syslogg_Timer() {
    if (!timer_syslogg->isActive())
        return;
    cmdsyslogg_fel_Click();
    cmdsyslogg_loggsize_Click();
}

int frmmain::markErrors(QTextEdit* box) {
    QTextDocument* doc = box->document();
    const std::vector<logmarks::Range> marks = logmarks::programLogErrors(doc->toPlainText());
    logmarks::markRedBold(doc, marks);
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    box->setTextCursor(end);
    // The caret at the end brings the latest lines into view, but must not scroll sideways and
    // hide the dates at the start of the lines.
    box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->minimum());
    return int(marks.size());
}

QString frmmain::errorCountText(int count) {
    return logmarks::errorCountText(count);
}

void frmmain::cmdsyslogg_fel_Click() {
    const int count = markErrors(txtsyslogg);
    syslogMarked_ = count > 0;
    lblsyslogg_rödfel->setText(errorCountText(count));
}

void frmmain::cmdsyslogg_sparad_fel_Click(QTextEdit* Text1, QLabel* lblsökinfo) {
    if (!Text1)
        return;
    const int count = markErrors(Text1);
    if (lblsökinfo)
        lblsökinfo->setText(errorCountText(count));
}

QString frmmain::logSizeText(qint64 n) {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    auto oneDecimal = [&](double v) {
        const double r = std::round(v * 10.0) / 10.0;
        return l.toString(r, 'f', r == std::floor(r) ? 0 : 1);
    };
    QString value;
    if (n > 1000000)
        value = oneDecimal(static_cast<double>(n) / 1000000.0) + QStringLiteral(" MB)");
    else if (n > 1000)
        value = oneDecimal(static_cast<double>(n) / 1000.0) + QStringLiteral(" kB)");
    else
        value = QString::number(n) + QStringLiteral(" Byte)");
    return QStringLiteral("Öppna programloggfilen (") + value;
}

void frmmain::cmdsyslogg_loggsize_Click() {
    try {
        const QString file = program().path(QStringLiteral("programlogg.txt"));
        if (!platform::fileExists(file)) {
            showLogFileLinks(QString(), QString());
            return;
        }
        showLogFileLinks(logSizeText(platform::fileSize(file)), QStringLiteral("Töm programloggfilen"));
    } catch (...) {
    }
}

void frmmain::showLogFileLinks(const QString& size, const QString& empty) {
    lblsysloggsize->setText(size);
    lblsyslogg_radera->setText(empty);
    // A screen reader names the link by what it says; the tooltip only tells about the right button.
    lblsysloggsize->setAccessibleName(size);
    // Without the file there is nothing to click: no empty link takes the keyboard's focus.
    lblsysloggsize->setVisible(!size.isEmpty());
    lblsyslogg_radera->setVisible(!empty.isEmpty());
}

void frmmain::lblsyslogg_radera_Click() {
    const QString file = program().path(QStringLiteral("programlogg.txt"));
    const platform::Answer a =
        program().dialogs.msgBox(QStringLiteral("Detta tömmer den sparade programloggfilen:\n") + file +
                                     QStringLiteral("\n\nVill du göra detta?"),
                                 platform::MsgButtons::YesNo, platform::MsgIcon::Question);
    if (a != platform::Answer::Yes)
        return;
    try {
        platform::writeText(file, QString());
    } catch (...) {
    }
}

void frmmain::lblsysloggsize_MouseUp(Qt::MouseButton button) {
    const QString file = program().path(QStringLiteral("programlogg.txt"));
    if (!platform::fileExists(file))
        return;
    if (button == Qt::RightButton) {
        program().dialogs.openUrl(file);
    } else if (button == Qt::LeftButton) {
        logview::openProgramLog(platform::readText(file));
    }
}

void frmmain::cmdvisalogg_Click() {
    Module1::visa_logg(0);
}

void frmmain::cmdvisalogg_MouseUp(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        Module1::visa_logg(1);
}

QStringList frmmain::file_schemasync() const {
    QStringList names;
    const QString folder = program().path(QStringLiteral("Schemasync"));
    if (!platform::folderExists(folder))
        return names;
    for (const QString& n : platform::listFileNames(folder))
        if (n.endsWith(QLatin1String(".schemasync"), Qt::CaseInsensitive))
            names << n;
    return names;
}

void frmmain::lblstatus2_Click() {
    try {
        QStringList lists;
        for (const QString& n : file_schemasync())
            lists << n.left(n.size() - 11);
        Module1::showSchemasync(lists);
    } catch (const platform::RunError& e) {
        appendSystemLog(
            QStringLiteral("Ett fel uppstod när speglingsloggar skulle listas. Plats: Main, hämta synkloggar "
                           "(lblstatus2). Felkod ") +
            QString::number(e.number) + QStringLiteral(" ") + e.description + QStringLiteral("."));
        markProgramLogError();
    }
}
