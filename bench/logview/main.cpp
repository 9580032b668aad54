// The log viewer and the start-up with large logs:
// - a 500,000-line saved log (about 50 MB, one "FEL:" line in 200) opened, marked, searched for a
//   word with one hit in twenty lines, and another log chosen;
// - the start with a 200 MB log.txt, and with a 300 MB one without line breaks (a damaged disk),
//   against one of a few lines: time until the main window is shown and peak memory, each start in
//   a process of its own;
// - the viewer on that 200 MB log.txt (no saved logs): its peak memory once the log is all in,
//   searched and its "FEL:" lines marked, in a process of its own; the time until the window is
//   shown, until the log is all in, and the search, each with the longest time the event loop
//   was held.
#include "core/program.h"
#include "logview/log_window.h"
#include "mainwindow/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
QByteArray logLines(int from, int to) {
    QByteArray log;
    log.reserve(qsizetype(to - from) * 100);
    for (int i = from; i < to; ++i) {
        QByteArray line = "2026-12-09 10:00:00  ";
        if (i % 200 == 0)
            line += "FEL: Kunde inte kopiera ";
        else
            line += "Kopierade ";
        line += "/home/anna/Dokument/Projekt " + QByteArray::number(i % 97) + "/underlag/rapport_" +
                QByteArray::number(i).rightJustified(7, '0') + (i % 20 == 0 ? ".docx" : ".txt");
        line += " (" + QByteArray::number(1000 + i % 5000) + " byte)";
        while (line.size() < 98)
            line += ' ';
        log += line + "\r\n";
    }
    return log;
}

const QByteArray kHead = "\r\nBackup utförd 2026-12-09  10:00:00\r\n\r\n";

QByteArray generateLog(int lines) {
    return kHead + logLines(0, lines);
}

// Written in parts, so that this process stays small for the starts it measures.
bool writeLargeLog(const QString& path, int lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(kHead) != kHead.size())
        return false;
    for (int from = 0; from < lines; from += 100'000) {
        const QByteArray part = logLines(from, std::min(lines, from + 100'000));
        if (f.write(part) != part.size())
            return false;
    }
    return true;
}

// 300 MB without a line break, as garbage on a damaged disk leaves it.
bool writeUnbrokenLog(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray part(1 << 20, '\xa4');
    for (int i = 0; i < 300; ++i)
        if (f.write(part) != part.size())
            return false;
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A program folder as after the first start: every setting off, the readme seen.
bool settle(const QString& folder) {
    QByteArray settings;
    for (int i = 0; i < 19; ++i)
        settings += " 0 \r\n";
    return writeFile(folder + "/programalternativ.ini", settings) &&
           writeFile(folder + "/setup_api.ini", " 0 \r\n") && writeFile(folder + "/readme700.dat", "");
}

// The peak resident memory of this process image (VmHWM; getrusage would count the parent's
// memory too, as it survives the fork and exec).
long peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Measures the longest time the event loop is held while `busy` holds.
struct PauseMeter {
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    PauseMeter() {
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout,
                         [this] { longest = std::max(longest, sinceTick.restart()); });
    }
    template <class Busy> qint64 waitWhile(Busy busy) {
        longest = 0;
        sinceTick.start();
        ticker.start();
        while (busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ticker.stop();
        return std::max(longest, sinceTick.elapsed());
    }
};

// The start child: starts the program in `folder` as main() does and reports the time until the main
// window is shown and the peak memory.
int startChild(const QString& folder, const QElapsedTimer& t) {
    Program p(folder);
    setProgram(&p);
    frmmain* main = p.form<frmmain>();
    if (!main->load())
        return 2;
    main->show();
    QCoreApplication::processEvents();
    std::printf("%lld %ld\n", (long long)t.elapsed(), peakKb());
    std::fflush(stdout);
    main->Form_Unload();
    setProgram(nullptr);
    return 0;
}

// The viewer child: opens the viewer on `folder`'s log.txt, waits until it is all in, searches it, marks
// its "FEL:" lines, and reports the peak memory after each.
int viewerChild(const QString& folder) {
    Program p(folder);
    setProgram(&p);
    p.dialogs.setScripted(true);
    frmlog* w = p.form<frmlog>();
    w->show();
    while (w->loading())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const long loaded = peakKb();
    w->txtsök->setText(".docx");
    w->txtsök_KeyPress(13);
    while (w->searching())
        QCoreApplication::processEvents();
    const long searched = peakKb();
    w->färglägg_fel();
    std::printf("%ld %ld %ld\n", loaded, searched, peakKb());
    std::fflush(stdout);
    p.unloadAll();
    setProgram(nullptr);
    return 0;
}

// A child process of this program in `mode` on `folder`: the fields of its line, none when it failed.
QList<QByteArray> runChild(const QString& exe, const char* mode, const QString& folder, int fields) {
    const QByteArray command = "'" + exe.toLocal8Bit() + "' " + mode + " '" + folder.toLocal8Bit() + "'";
    FILE* child = ::popen(command.constData(), "r");
    char out[128] = {};
    const bool read = child && std::fgets(out, sizeof out, child);
    const int rc = child ? ::pclose(child) : -1;
    const QList<QByteArray> got = QByteArray(out).simplified().split(' ');
    return read && rc == 0 && got.size() == fields ? got : QList<QByteArray>{};
}

// The viewer's peak memory on the 200 MB log.txt, in a process of its own.
void benchViewerMemory(const QString& exe, const QString& root) {
    const QString folder = root + "/start-large";
    const QList<QByteArray> fields = runChild(exe, "viewer", folder, 3);
    if (fields.isEmpty()) {
        std::printf("viewer memory: failed\n");
        return;
    }
    const double size = QFileInfo(folder + "/log.txt").size() / 1e6;
    const auto mb = [&](int i) { return fields[i].toLong() / 1024.0; };
    std::printf("viewer, %6.1f MB log.txt: peak %6.1f MB all in (%.2f x), %6.1f MB after a search, %6.1f MB "
                "after marking its \"FEL:\" lines\n",
                size, mb(0), mb(0) / size, mb(1), mb(2));
    std::fflush(stdout);
}

// Before QApplication and any large buffer: a child's peak memory counts its parent's as it
// was at the fork.
void benchStart(const QString& exe, const QString& root) {
    for (const char* which : {"small", "large", "broken"}) {
        const QString folder = root + "/start-" + which;
        QDir().mkpath(folder);
        settle(folder);
        if (which == QByteArray("small"))
            writeFile(folder + "/log.txt", generateLog(20));
        else if (which == QByteArray("large"))
            writeLargeLog(folder + "/log.txt", 2'000'000);
        else
            writeUnbrokenLog(folder + "/log.txt");
        qint64 best = -1;
        long mem = 0;
        for (int round = 0; round < 3; ++round) {
            const QList<QByteArray> fields = runChild(exe, "start", folder, 2);
            if (fields.isEmpty()) {
                std::printf("start, %s log.txt: failed\n", which);
                return;
            }
            const qint64 ms = fields[0].toLongLong();
            if (best < 0 || ms < best)
                best = ms;
            mem = std::max(mem, fields[1].toLong());
        }
        std::printf("start, %-6s log.txt (%6.1f MB): main window after %5lld ms, peak %6.1f MB\n", which,
                    QFileInfo(folder + "/log.txt").size() / 1e6, (long long)best, mem / 1024.0);
        std::fflush(stdout);
    }
}

// Searches the shown log for ".docx" and prints how long it took and the longest pause.
void timeSearch(frmlog* w, PauseMeter& meter, const char* label) {
    QElapsedTimer t;
    w->txtsök->setText(".docx");
    t.start();
    w->txtsök_KeyPress(13);
    const qint64 first = t.elapsed();
    const qint64 searchPause =
        meter.waitWhile([w] { return !w->lblsökinfo->text().startsWith(QStringLiteral("Hittade")); });
    std::printf("%s %6lld ms, longest pause %5lld ms (%s)\n", label, (long long)t.elapsed(),
                (long long)std::max(first, searchPause), qPrintable(w->lblsökinfo->text()));
}

// Opens the log viewer on the newest log and prints when it showed, when the log was all in (its
// "FEL:" lines marked) and the longest pause meanwhile.
frmlog* timeOpening(Program& p, PauseMeter& meter, const char* label) {
    QElapsedTimer t;
    t.start();
    frmlog* w = p.form<frmlog>();
    w->show();
    const qint64 shown = t.elapsed();
    const qint64 loadPause = meter.waitWhile([w] { return w->loading(); });
    QCoreApplication::processEvents();
    std::printf("%s shown after %5lld ms, all in after %6lld ms, longest pause %5lld ms\n", label,
                (long long)shown, (long long)t.elapsed(), (long long)std::max(shown, loadPause));
    return w;
}

void benchLargeRunLog(const QString& root) {
    const QString folder = root + "/start-large"; // log.txt of 200 MB, no saved logs
    Program p(folder);
    setProgram(&p);
    p.dialogs.setScripted(true);
    PauseMeter meter;
    frmlog* w = timeOpening(p, meter, "viewer, 200 MB log.txt:");
    timeSearch(w, meter, "viewer, search:        ");
    QElapsedTimer t;
    t.start();
    p.unloadAll();
    QCoreApplication::processEvents();
    std::printf("viewer, closed in:      %6lld ms\n", (long long)t.elapsed());
    setProgram(nullptr);
}

int benchSavedLog() {
    QTemporaryDir dir;
    Program p(dir.path());
    setProgram(&p);
    p.dialogs.setScripted(true);

    const QByteArray log = generateLog(500'000);
    QDir().mkpath(dir.path() + "/Sparade loggar");
    for (const char* name :
         {"log 2026-12-08 10.00.00 Backup av Dokument.txt", "log 2026-12-09 10.00.00 Backup av Dokument.txt"})
        if (!writeFile(dir.path() + "/Sparade loggar/" + name, log))
            return 2;
    std::printf("saved log: %lld lines, %.1f MB, %lld \"FEL:\" lines\n", (long long)log.count('\n'),
                log.size() / 1e6, (long long)log.count("FEL:"));

    PauseMeter meter;
    frmlog* w = timeOpening(p, meter, "saved log, marked:     ");
    timeSearch(w, meter, "search:                ");

    QElapsedTimer t;
    t.start();
    w->combolog->setCurrentIndex(0);
    meter.waitWhile([w] { return w->loading(); });
    std::printf("choose another log: %5lld ms\n", (long long)t.elapsed());
    p.unloadAll();
    setProgram(nullptr);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    if (argc == 3 && (QByteArray(argv[1]) == "start" || QByteArray(argv[1]) == "viewer")) {
        QElapsedTimer t;
        t.start();
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const bool start = QByteArray(argv[1]) == "start";
        int childArgc = 1;
        char* childArgv[] = {argv[0], nullptr};
        QApplication app(childArgc, childArgv);
        QApplication::setQuitOnLastWindowClosed(false);
        return start ? startChild(folder, t) : viewerChild(folder);
    }
    QTemporaryDir root;
    const QString exe = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath();
    benchStart(exe, root.path());
    benchViewerMemory(exe, root.path());
    QApplication app(argc, argv);
    if (const int rc = benchSavedLog())
        return rc;
    benchLargeRunLog(root.path());
    return 0;
}
