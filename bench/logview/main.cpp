// Opens a 200,000-line run log (about 20 MB, 1,000 "FEL:" lines) in the log viewer and searches it
// for a word with 10,000 hits; prints the times and the longest pause of the event loop while the
// log goes into the window.
#include "core/program.h"
#include "logview/log_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
QByteArray generateLog() {
    QByteArray log;
    log.reserve(21 * 1000 * 1000);
    log += "Backup utförd 2026-12-09  10:00:00\r\n\r\n";
    for (int i = 0; i < 200000; ++i) {
        QByteArray line = "2026-12-09 10:00:00  ";
        if (i % 200 == 0)
            line += "FEL: Kunde inte kopiera ";
        else
            line += "Kopierade ";
        line += "/home/anna/Dokument/Projekt " + QByteArray::number(i % 97) + "/underlag/rapport_" +
                QByteArray::number(i).rightJustified(6, '0') + (i % 20 == 0 ? ".docx" : ".txt");
        line += " (" + QByteArray::number(1000 + i % 5000) + " byte)";
        while (line.size() < 98)
            line += ' ';
        log += line + "\r\n";
    }
    return log;
}
} // namespace

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Program p(dir.path());
    setProgram(&p);
    p.dialogs.setScripted(true);

    const QByteArray log = generateLog();
    QDir().mkpath(dir.path() + "/Sparade loggar");
    for (const char* name : {"log 2026-12-08 10.00.00 Backup av Dokument.txt",
                             "log 2026-12-09 10.00.00 Backup av Dokument.txt"}) {
        QFile f(dir.path() + "/Sparade loggar/" + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(log) != log.size())
            return 2;
    }
    std::printf("log: %lld lines, %.1f MB, %lld \"FEL:\" lines\n", (long long)log.count('\n'),
                log.size() / 1e6, (long long)log.count("FEL:"));

    // The longest time the event loop was held while the log went into the window.
    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestPause = std::max(longestPause, sinceTick.restart()); });

    QElapsedTimer t;
    t.start();
    frmlog* w = p.form<frmlog>();
    w->show();
    const qint64 firstPause = t.elapsed();
    sinceTick.start();
    ticker.start();
    while (w->loading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    const qint64 opened = t.elapsed();
    ticker.stop();
    std::printf(
        "open, marked:       %5lld ms (window shown after %lld ms; longest pause while loading %lld ms)\n",
        (long long)opened, (long long)firstPause, (long long)std::max(longestPause, firstPause));

    w->txtsök->setText(".docx");
    t.restart();
    w->txtsök_KeyPress(13);
    QCoreApplication::processEvents();
    std::printf("search, 10,000 hits: %5lld ms (%s)\n", (long long)t.elapsed(),
                qPrintable(w->lblsökinfo->text()));

    t.restart();
    w->combolog->setCurrentIndex(0);
    while (w->loading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("choose another log: %5lld ms\n", (long long)t.elapsed());
    p.unloadAll();
    setProgram(nullptr);
    return 0;
}
