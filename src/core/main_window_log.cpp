// System log, log panel and program log of the main window.
#include "core/main_window.h"
#include "core/program.h"
#include "platform/clock.h"
#include "platform/textfile.h"

#include <QLabel>
#include <QTextCursor>
#include <QTextEdit>

void frmmain::createLogControls() {
    txtsyslogg = new QTextEdit(centralWidget());
    txtsyslogg->setObjectName(QStringLiteral("txtsyslogg"));
    txtsyslogg->setReadOnly(true);
    txtsyslogg->hide();
    lblprogramlogg = new QLabel(QStringLiteral("Programlogg"), centralWidget());
    lblprogramlogg->setObjectName(QStringLiteral("lblprogramlogg"));
    lblschemavisasyslogg = new QLabel(QStringLiteral("Visa programlogg"), centralWidget());
    lblschemavisasyslogg->setObjectName(QStringLiteral("lblschemavisasyslogg"));
    lblschemavisasyslogg->hide();
    lblstatus = new QLabel(QStringLiteral("Status: Redo"), centralWidget());
    lblstatus->setObjectName(QStringLiteral("lblstatus"));
    lblstatus2 = new QLabel(QStringLiteral("Det finns filer som kan raderas. Klicka här."), centralWidget());
    lblstatus2->setObjectName(QStringLiteral("lblstatus2"));
    lblstatus2->hide();
}

void frmmain::appendSystemLog(const QString& text) {
    appendSystemLogRaw(QStringLiteral("\r\n") + platform::dateTimeText(program().clock.now()) + QStringLiteral("  ") +
                       text);
}

void frmmain::appendSystemLogRaw(const QString& text) {
    QTextCursor c(txtsyslogg->document());
    c.movePosition(QTextCursor::End);
    c.setCharFormat(QTextCharFormat());
    // A paragraph break per line end keeps the box's text equal to the log's lines.
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.insertText(t);
}

void frmmain::spara_syslogg() {
    QString text = txtsyslogg->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    platform::appendText(program().path(QStringLiteral("programlogg.txt")),
                         QStringLiteral("\r\n") + text + QStringLiteral("\r\n\r\n\r\n"));
}
