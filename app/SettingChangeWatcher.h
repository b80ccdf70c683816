#pragma once
// The operating system's announcement that the operator changed the regional settings, handed to
// the window as a QEvent::LocaleChange, the one event on which the window reads them again.
// Windows broadcasts WM_SETTINGCHANGE with the text "intl" to every top-level window; Qt 6
// passes the message to the native event filters and makes no event of it. Elsewhere the
// system announces nothing and the watcher never fires.
#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

namespace mig {

class SettingChangeWatcher : public QAbstractNativeEventFilter {
public:
    // Installs itself on the application for its lifetime; `window` may go first.
    explicit SettingChangeWatcher(QWidget* window);
    ~SettingChangeWatcher() override;
    SettingChangeWatcher(const SettingChangeWatcher&) = delete;
    SettingChangeWatcher& operator=(const SettingChangeWatcher&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> window_;
};

}  // namespace mig
