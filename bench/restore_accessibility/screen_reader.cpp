// Stands in for a screen reader on the session bus it is started on (one with at-spi-bus-launcher
// and at-spi2-registryd): it tells the desktop that a screen reader runs, asks the accessibility
// registry for every object, window and focus event, and takes each one off the accessibility bus.
// It prints "listening" once it listens; on SIGTERM or SIGINT it says that no screen reader runs
// any more and prints how many events it heard.
//
// usage: screen_reader
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    // Only async-signal-safe calls here; the event loop reads the byte.
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

class Listener : public QObject {
    Q_OBJECT
  public:
    long events = 0;
  public slots:
    void heard(const QDBusMessage&) { ++events; }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    QSocketNotifier quit(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quit, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    QDBusConnection session = QDBusConnection::sessionBus();
    const QString busService = QStringLiteral("org.a11y.Bus"), busPath = QStringLiteral("/org/a11y/bus");
    const QDBusReply<QString> address = session.call(QDBusMessage::createMethodCall(
        busService, busPath, QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
    if (!address.isValid()) {
        std::fprintf(stderr, "no accessibility bus: %s\n", qPrintable(address.error().message()));
        return 1;
    }
    // What a screen reader says when it starts: toolkits switch their accessibility on.
    QDBusMessage set = QDBusMessage::createMethodCall(
        busService, busPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("ScreenReaderEnabled")
        << QVariant::fromValue(QDBusVariant(true));
    session.call(set);

    QDBusConnection a11y = QDBusConnection::connectToBus(address.value(), QStringLiteral("a11y"));
    if (!a11y.isConnected()) {
        std::fprintf(stderr, "cannot connect to the accessibility bus\n");
        return 1;
    }
    Listener listener;
    for (const char* kind : {"Object", "Window", "Focus"}) {
        a11y.connect({}, {}, QStringLiteral("org.a11y.atspi.Event.") + QLatin1String(kind), {}, &listener,
                     SLOT(heard(QDBusMessage)));
        // Applications send only the events some client registered for.
        QDBusMessage reg = QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
            QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
        reg << QString::fromLatin1(kind).toLower() + QLatin1Char(':') << QStringList() << a11y.baseService();
        const QDBusMessage answer = a11y.call(reg);
        if (answer.type() == QDBusMessage::ErrorMessage) {
            std::fprintf(stderr, "the registry refused: %s\n", qPrintable(answer.errorMessage()));
            return 1;
        }
    }
    std::printf("listening\n");
    std::fflush(stdout);
    app.exec();
    // Ended, it switches the toolkits' accessibility off again (the bus launcher switched it on
    // with the screen reader).
    for (const char* property : {"ScreenReaderEnabled", "IsEnabled"}) {
        set.setArguments({QStringLiteral("org.a11y.Status"), QString::fromLatin1(property),
                          QVariant::fromValue(QDBusVariant(false))});
        session.call(set);
    }
    std::printf("%ld events heard\n", listener.events);
    return 0;
}

#include "screen_reader.moc"
