#include "app/platform/BlockedCloseRequests.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#elif defined(MIG_HAVE_XCB)
#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace mig {

namespace {

#if !defined(_WIN32) && defined(MIG_HAVE_XCB)
std::uint32_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply) return 0;
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}
#endif

}  // namespace

BlockedCloseRequests::BlockedCloseRequests(QWidget* window, std::function<void()> onRequest)
    : window_(window), onRequest_(std::move(onRequest)) {
#if !defined(_WIN32) && defined(MIG_HAVE_XCB)
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        if (xcb_connection_t* connection = x11->connection()) {
            wmProtocols_ = internAtom(connection, "WM_PROTOCOLS");
            wmDeleteWindow_ = internAtom(connection, "WM_DELETE_WINDOW");
        }
    }
#endif
    QCoreApplication::instance()->installNativeEventFilter(this);
}

BlockedCloseRequests::~BlockedCloseRequests() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

// Qt would drop the request: a modal box other than the window itself is up.
bool BlockedCloseRequests::blocked() const {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != window_ && window_->isVisible();
}

bool BlockedCloseRequests::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
    bool forTheWindow = false;
#ifdef _WIN32
    if (eventType == "windows_generic_MSG" || eventType == "windows_dispatcher_MSG") {
        const auto* msg = static_cast<const MSG*>(message);
        forTheWindow = msg->message == WM_CLOSE && window_->internalWinId() != 0 &&
                       msg->hwnd == reinterpret_cast<HWND>(window_->internalWinId());
    }
#elif defined(MIG_HAVE_XCB)
    if (eventType == "xcb_generic_event_t" && wmDeleteWindow_ != 0) {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto* client = static_cast<const xcb_client_message_event_t*>(message);
            forTheWindow = client->format == 32 && client->type == wmProtocols_ &&
                           client->data.data32[0] == wmDeleteWindow_ && window_->internalWinId() != 0 &&
                           client->window == static_cast<xcb_window_t>(window_->internalWinId());
        }
    }
#else
    (void)eventType;
    (void)message;
#endif
    if (!forTheWindow || !blocked()) return false;
    // Not from inside the window system's dispatch: the answer may open a box of its own.
    QTimer::singleShot(0, window_, onRequest_);
    return true;
}

}  // namespace mig
