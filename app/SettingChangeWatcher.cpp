#include "app/SettingChangeWatcher.h"

#include <QCoreApplication>
#include <QEvent>

#ifdef Q_OS_WIN
#include <windows.h>

#include <cwchar>
#endif

namespace mig {

SettingChangeWatcher::SettingChangeWatcher(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

SettingChangeWatcher::~SettingChangeWatcher() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool SettingChangeWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) {
    (void)result;
#ifdef Q_OS_WIN
    if (eventType != "windows_generic_MSG" || !window_) return false;
    const MSG* msg = static_cast<const MSG*>(message);
    // The broadcast reaches each top-level window of the program; reading the settings twice
    // does no harm.
    if (msg->message == WM_SETTINGCHANGE && msg->lParam &&
        std::wcscmp(reinterpret_cast<const wchar_t*>(msg->lParam), L"intl") == 0)
        QCoreApplication::postEvent(window_, new QEvent(QEvent::LocaleChange));
#else
    (void)eventType;
    (void)message;
#endif
    return false;  // the message goes on to Qt
}

}  // namespace mig
