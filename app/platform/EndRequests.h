#pragma once
// Requests from the system to end the program: SIGTERM, SIGINT and SIGHUP where there are
// signals (a log-out, a shut-down, a supervisor, Ctrl+C in a terminal); on Windows the console's
// Ctrl+C, Ctrl+Break, close, log-off and shut-down events.
//
// The handlers only record the request: an atomic number, and where there are signals one byte
// written to a pipe of the object's own, whose notifier emits `requested` on the user-interface
// thread from whichever event loop runs next. Work that runs without dispatching events reads
// `pending()` at its own safe points (a migration between two records).
#include <QObject>

namespace mig {

class EndRequests : public QObject {
    Q_OBJECT
public:
    // Installs the handlers, replacing the default ones. One instance at a time, made on the
    // user-interface thread before the database client first runs (the client then keeps these
    // handlers behind its own, see db::ClientLibrary). A request recorded by an
    // earlier instance is forgotten.
    explicit EndRequests(QObject* parent = nullptr);
    // Puts the former handling back where no one has replaced these handlers since, and forgets
    // the request.
    ~EndRequests() override;
    EndRequests(const EndRequests&) = delete;
    EndRequests& operator=(const EndRequests&) = delete;

    // The signal of the first request (SIGTERM, SIGINT or SIGHUP; on Windows SIGINT for Ctrl+C
    // and Ctrl+Break, SIGTERM for the others), 0 while there has been none. One atomic load.
    static int pending();
    // The exit code of a program ended by that signal: 128 plus its number, as shells report it.
    static int exitCode(int signal) { return 128 + signal; }

signals:
    // Emitted once, for the first request, on the user-interface thread.
    void requested(int signal);

private:
    Q_INVOKABLE void deliver();

    bool delivered_ = false;
};

}  // namespace mig
