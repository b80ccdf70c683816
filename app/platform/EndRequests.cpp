#include "app/platform/EndRequests.h"

#include <QMetaObject>

#include <atomic>
#include <csignal>
#include <iterator>

#ifdef _WIN32
#include <QGuiApplication>
#include <QSessionManager>
#include <windows.h>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mig {

namespace {

// Written by the handlers, read by the user-interface thread; lock-free, so safe in a handler.
std::atomic<int> gPending{0};
static_assert(std::atomic<int>::is_always_lock_free);
EndRequests* gInstance = nullptr;

void record(int signal) {
    int none = 0;
    gPending.compare_exchange_strong(none, signal);
}

}  // namespace

int EndRequests::pending() { return gPending.load(); }

void EndRequests::deliver() {
    const int signal = pending();
    if (signal == 0 || delivered_) return;
    delivered_ = true;
    emit requested(signal);
}

#ifndef _WIN32

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction gFormer[std::size(kSignals)];
// The pipe's two ends; the write end is read by the handler, so it is an atomic too.
int gReadEnd = -1;
std::atomic<int> gWriteEnd{-1};
QSocketNotifier* gNotifier = nullptr;

// Async-signal-safe: an atomic exchange and a write(2). The client library's own handler, when
// it installs one later, calls this one too.
void onSignal(int signal) {
    const int savedErrno = errno;
    record(signal);
    if (const int fd = gWriteEnd.load(); fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

EndRequests::EndRequests(QObject* parent) : QObject(parent) {
    gInstance = this;
    gPending.store(0);
    int ends[2];
    if (::pipe(ends) == 0) {
        for (int fd : ends) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        gReadEnd = ends[0];
        gWriteEnd.store(ends[1]);
        gNotifier = new QSocketNotifier(static_cast<qintptr>(gReadEnd), QSocketNotifier::Read, this);
        connect(gNotifier, &QSocketNotifier::activated, this, [this] {
            char buffer[64];
            while (::read(gReadEnd, buffer, sizeof buffer) > 0) {
            }
            deliver();
        });
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    // Interrupted system calls of the client library and the toolkit resume.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaddset(&action.sa_mask, s);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &gFormer[i]);
}

EndRequests::~EndRequests() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction current = {};
        ::sigaction(kSignals[i], nullptr, &current);
        if (current.sa_handler == onSignal) ::sigaction(kSignals[i], &gFormer[i], nullptr);
    }
    // A handler that still calls onSignal (the client library's chain) finds no pipe.
    const int writeEnd = gWriteEnd.exchange(-1);
    delete gNotifier;
    gNotifier = nullptr;
    if (writeEnd >= 0) ::close(writeEnd);
    if (gReadEnd >= 0) ::close(gReadEnd);
    gReadEnd = -1;
    gInstance = nullptr;
    gPending.store(0);
}

#else

namespace {

// Runs on a thread the system starts for the event. Posting to the user-interface thread is
// safe from any thread. For close, log-off and shut-down the system ends the process as soon as
// this returns: it waits for the program to end itself first, five seconds at most.
BOOL WINAPI onConsoleEvent(DWORD event) {
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    record(interrupt ? SIGINT : SIGTERM);
    if (EndRequests* instance = gInstance) QMetaObject::invokeMethod(instance, "deliver", Qt::QueuedConnection);
    if (!interrupt) ::Sleep(5000);
    return TRUE;
}

}  // namespace

EndRequests::EndRequests(QObject* parent) : QObject(parent) {
    gInstance = this;
    gPending.store(0);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    // A program with a window hears of a log-off or shut-down from the session instead.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            record(SIGTERM);
            deliver();
        });
    }
}

EndRequests::~EndRequests() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    gInstance = nullptr;
    gPending.store(0);
}

#endif

}  // namespace mig
