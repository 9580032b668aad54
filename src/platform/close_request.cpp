#include "platform/close_request.h"

#include <QWidget>

#ifdef TAMREL_HAVE_XCB
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <cstring>
#include <xcb/xcb.h>
#endif

namespace platform {

#ifdef TAMREL_HAVE_XCB

namespace {
xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(r);
    return a;
}

// Lives as a child of the window it watches, so it stops watching when the window goes.
class CloseRequestForwarder : public QObject, public QAbstractNativeEventFilter {
  public:
    CloseRequestForwarder(QWidget* window, std::function<void()> onClose, xcb_atom_t protocols,
                          xcb_atom_t deleteWindow)
        : QObject(window), window_(window), onClose_(std::move(onClose)), protocols_(protocols),
          deleteWindow_(deleteWindow) {
        qApp->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* m = static_cast<const xcb_client_message_event_t*>(message);
        if (m->format != 32 || m->type != protocols_ || m->data.data32[0] != deleteWindow_)
            return false;
        const WId id = window_->internalWinId();
        const QWindow* modal = QGuiApplication::modalWindow();
        if (!id || m->window != id || !modal || modal == window_->windowHandle())
            return false;
        // Not from inside the platform's event handling: the modal window's own loop runs it next.
        QTimer::singleShot(0, this, [this] { onClose_(); });
        return true;
    }

  private:
    QWidget* window_;
    std::function<void()> onClose_;
    xcb_atom_t protocols_;
    xcb_atom_t deleteWindow_;
};
} // namespace

void forwardBlockedCloseRequests(QWidget* window, std::function<void()> onClose) {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!window || !c)
        return;
    new CloseRequestForwarder(window, std::move(onClose), internAtom(c, "WM_PROTOCOLS"),
                              internAtom(c, "WM_DELETE_WINDOW"));
}

#else

void forwardBlockedCloseRequests(QWidget*, std::function<void()>) {}

#endif

} // namespace platform
