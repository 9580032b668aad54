// Entry procedure: command line, application, signals, the main window.
#include "core/program.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t r = ::write(signalPipe[1], &c, 1);
}
} // namespace

int main(int argc, char* argv[]) {
    // The command line is taken before QApplication can remove any argument.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamrel Backup"));
    QApplication::setQuitOnLastWindowClosed(false);
    // The pickers and standard buttons speak Swedish like the rest of the program.
    platform::installSwedishQtTexts();
    platform::installAccessibility();

    Program p(QCoreApplication::applicationDirPath());
    setProgram(&p);
    p.commandLine = args.join(QLatin1Char(' '));
    // An unattended run never waits for an answer nobody can give.
    p.dialogs.setUnattended(!p.commandLine.isEmpty());

    frmmain* main = p.form<frmmain>();

    // SIGTERM and SIGHUP end the program the normal way, so the program log is written; the
    // notifier runs inside the load too, as a command-line run keeps events flowing.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&p] {
            char c;
            [[maybe_unused]] ssize_t r = ::read(signalPipe[0], &c, 1);
            if (frmmain* m = p.loaded<frmmain>())
                m->requestEnd();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGHUP, &sa, nullptr);
    }

    if (!main->load()) {
        const int status = p.exitStatus;
        setProgram(nullptr);
        return status;
    }
    if (main->endRequested()) {
        main->Form_Unload();
        setProgram(nullptr);
        return 0;
    }

    // The shutdown has run when the main window goes: the loop simply ends. quit() would first ask
    // the windows still shown to close, and one that refuses would keep the program on unseen.
    QObject::connect(main, &QObject::destroyed, &app, [] { QCoreApplication::exit(0); });
    main->show();
    const int rc = app.exec();
    if (frmmain* m = p.loaded<frmmain>())
        m->Form_Unload();
    setProgram(nullptr);
    return rc;
}
