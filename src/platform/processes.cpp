#include "platform/processes.h"

#include "platform/events.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <csignal>
#include <unistd.h>
#include <vector>

#ifdef TAMREL_HAVE_XCB
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#endif

namespace platform {

namespace {

// Waits up to `ms`, keeping the program's windows alive, until `done` holds.
template <class F> bool waitUntil(int ms, F done) {
    QElapsedTimer t;
    t.start();
    for (;;) {
        if (done())
            return true;
        if (t.elapsed() >= ms)
            return false;
        doEvents();
        QThread::msleep(20);
    }
}

// ---------------------------------------------------------------------------------------------
// Processes over /proc

struct ProcState {
    bool exists = false;
    char state = '?';
    unsigned long long startTime = 0; // ticks after boot; tells a reused process id apart
};

ProcState procState(pid_t pid) {
    ProcState s;
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return s;
    const QByteArray text = f.readAll();
    // The command name in parentheses may hold blanks and ')'; the fields follow the last ')'.
    const int close = text.lastIndexOf(')');
    if (close < 0)
        return s;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return s;
    s.exists = true;
    s.state = fields[0].isEmpty() ? '?' : fields[0][0];
    s.startTime = fields[19].toULongLong();
    return s;
}

// Still running: present, not a zombie, and the same process that was matched.
bool stillRunning(pid_t pid, unsigned long long startTime) {
    const ProcState s = procState(pid);
    return s.exists && s.state != 'Z' && s.state != 'X' && s.startTime == startTime;
}

QString baseName(QString path) {
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

// The base names a process is known by: of its executable and of its argv[0].
QStringList processNames(pid_t pid) {
    QStringList names;
    QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (exe.endsWith(QStringLiteral(" (deleted)")))
        exe.chop(10);
    if (!exe.isEmpty())
        names << baseName(exe);
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray all = f.read(4096);
        const QByteArray argv0 = all.left(all.indexOf('\0') < 0 ? all.size() : all.indexOf('\0'));
        if (!argv0.isEmpty())
            names << baseName(QString::fromLocal8Bit(argv0));
    }
    return names;
}

struct Victim {
    pid_t pid;
    unsigned long long startTime;
    QString name;
};

} // namespace

EndResult endProcessesByName(const QString& name, int graceMs) {
    EndResult r;
    if (name.isEmpty())
        return r;
    const pid_t self = ::getpid();
    std::vector<Victim> victims;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        bool ok = false;
        const pid_t pid = e.toInt(&ok);
        if (!ok || pid <= 1 || pid == self)
            continue;
        for (const QString& n : processNames(pid)) {
            if (n.compare(name, Qt::CaseInsensitive) == 0) {
                const ProcState s = procState(pid);
                if (s.exists && s.state != 'Z')
                    victims.push_back({pid, s.startTime, n.toLower()});
                break;
            }
        }
    }
    r.matched = int(victims.size());
    if (victims.empty())
        return r;

    std::vector<Victim> sent;
    for (const Victim& v : victims) {
        // Checked again right before the signal, so a reused id is never hit.
        if (stillRunning(v.pid, v.startTime) && ::kill(v.pid, SIGTERM) == 0)
            sent.push_back(v);
    }
    auto allGone = [&] {
        for (const Victim& v : sent)
            if (stillRunning(v.pid, v.startTime))
                return false;
        return true;
    };
    if (!waitUntil(graceMs, allGone)) {
        for (const Victim& v : sent)
            if (stillRunning(v.pid, v.startTime))
                ::kill(v.pid, SIGKILL);
        waitUntil(2000, allGone);
    }
    for (const Victim& v : sent) {
        if (!stillRunning(v.pid, v.startTime)) {
            ++r.ended;
            r.name = v.name;
        }
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Windows over X11

#ifdef TAMREL_HAVE_XCB
namespace {

class X11 {
  public:
    X11() {
        c_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c_))
            return;
        const xcb_setup_t* setup = xcb_get_setup(c_);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
        if (!it.rem)
            return;
        root_ = it.data->root;
        ok_ = true;
    }
    ~X11() {
        if (c_)
            xcb_disconnect(c_);
    }
    X11(const X11&) = delete;
    X11& operator=(const X11&) = delete;

    bool ok() const { return ok_; }

    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }

    // The raw value of a property and its type; empty when missing.
    QByteArray property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t* type = nullptr) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr);
        QByteArray out;
        if (r) {
            out = QByteArray(static_cast<const char*>(xcb_get_property_value(r)),
                             xcb_get_property_value_length(r));
            if (type)
                *type = r->type;
            free(r);
        }
        return out;
    }

    std::vector<xcb_atom_t> atoms(xcb_window_t w, xcb_atom_t prop) {
        const QByteArray raw = property(w, prop);
        std::vector<xcb_atom_t> v(size_t(raw.size()) / 4);
        if (!v.empty())
            memcpy(v.data(), raw.constData(), v.size() * 4);
        return v;
    }

    QString title(xcb_window_t w) {
        const QByteArray net = property(w, atom("_NET_WM_NAME"));
        if (!net.isEmpty())
            return QString::fromUtf8(net);
        xcb_atom_t type = XCB_ATOM_NONE;
        const QByteArray old = property(w, XCB_ATOM_WM_NAME, &type);
        return type == XCB_ATOM_STRING ? QString::fromLatin1(old) : QString::fromUtf8(old);
    }

    std::vector<xcb_window_t> children(xcb_window_t w) {
        std::vector<xcb_window_t> v;
        xcb_query_tree_reply_t* r = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
        if (r) {
            const xcb_window_t* ch = xcb_query_tree_children(r);
            v.assign(ch, ch + xcb_query_tree_children_length(r));
            free(r);
        }
        return v;
    }

    // 0 destroyed, else the map state.
    int mapState(xcb_window_t w) {
        xcb_get_window_attributes_reply_t* r =
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
        if (!r)
            return -1;
        const int s = r->map_state;
        free(r);
        return s;
    }

    bool managed() {
        const xcb_atom_t close = atom("_NET_CLOSE_WINDOW");
        for (xcb_atom_t a : atoms(root_, atom("_NET_SUPPORTED")))
            if (a == close)
                return true;
        return false;
    }

    // The top-level windows: the manager's client list, or the mapped children of the root
    // (and their children, for a manager that reparents without keeping the list).
    std::vector<xcb_window_t> clients(bool managed) {
        if (managed)
            return atoms(root_, atom("_NET_CLIENT_LIST")); // windows are 32-bit ids like atoms
        std::vector<xcb_window_t> v;
        for (xcb_window_t top : children(root_)) {
            if (mapState(top) != XCB_MAP_STATE_VIEWABLE)
                continue;
            v.push_back(top);
            for (xcb_window_t inner : children(top))
                v.push_back(inner);
        }
        return v;
    }

    bool present(xcb_window_t w, bool managed) {
        if (managed) {
            for (xcb_window_t c : clients(true))
                if (c == w)
                    return true;
            return false;
        }
        const int s = mapState(w);
        return s >= 0 && s != XCB_MAP_STATE_UNMAPPED;
    }

    // Returns whether a request was sent.
    bool requestClose(xcb_window_t w, bool managed) {
        xcb_client_message_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = w;
        if (managed) {
            ev.type = atom("_NET_CLOSE_WINDOW");
            ev.data.data32[0] = XCB_CURRENT_TIME;
            ev.data.data32[1] = 2; // from a pager-like tool, not an application
            xcb_send_event(c_, 0, root_,
                           XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                           reinterpret_cast<const char*>(&ev));
        } else {
            const xcb_atom_t del = atom("WM_DELETE_WINDOW");
            bool polite = false;
            for (xcb_atom_t a : atoms(w, atom("WM_PROTOCOLS")))
                polite = polite || a == del;
            if (!polite)
                return false;
            ev.type = atom("WM_PROTOCOLS");
            ev.data.data32[0] = del;
            ev.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(c_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
        }
        xcb_flush(c_);
        return true;
    }

  private:
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    bool ok_ = false;
};

} // namespace

WindowCloseResult closeWindowByTitle(const QString& title, int waitMs) {
    WindowCloseResult r;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return r;
    X11 x;
    if (!x.ok())
        return r;
    const bool managed = x.managed();
    xcb_window_t target = 0;
    for (xcb_window_t w : x.clients(managed)) {
        if (x.title(w) == title) {
            target = w;
            break;
        }
    }
    if (!target)
        return r;
    r.found = true;
    if (!x.requestClose(target, managed))
        return r;
    r.closed = waitUntil(waitMs, [&] { return !x.present(target, managed); });
    return r;
}

#else

WindowCloseResult closeWindowByTitle(const QString&, int) {
    return {};
}

#endif

} // namespace platform
