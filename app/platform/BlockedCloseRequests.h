#pragma once
// A close request that the window system sends to a window while a modal box blocks it (the
// window manager's close button, Alt+F4, a session asking each window to close) never reaches
// that window as a close event: Qt drops it. This filter sees such a request for one window
// before Qt does and hands it to `onRequest` from the next round of the event loop, so that
// the window can answer it even while a box of its own is up. Requests that reach the window
// anyway (no box blocks it) are left to Qt and arrive as close events.
//
// X11 (the xcb platform): a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW for the
// window. Windows: WM_CLOSE for the window's handle. Other platforms: nothing is filtered.
#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

class QWidget;

namespace mig {

class BlockedCloseRequests : public QAbstractNativeEventFilter {
public:
    // `window` must outlive the filter; the filter installs itself on the application and
    // removes itself when destroyed.
    BlockedCloseRequests(QWidget* window, std::function<void()> onRequest);
    ~BlockedCloseRequests() override;
    BlockedCloseRequests(const BlockedCloseRequests&) = delete;
    BlockedCloseRequests& operator=(const BlockedCloseRequests&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool blocked() const;

    QWidget* window_;
    std::function<void()> onRequest_;
    std::uint32_t wmProtocols_ = 0;     // X11 atoms, 0 where there is no X11
    std::uint32_t wmDeleteWindow_ = 0;
};

}  // namespace mig
