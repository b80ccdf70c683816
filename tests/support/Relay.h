#pragma once
// A TCP relay on loopback between the program and the loopback Firebird server: every
// connection made to 127.0.0.1:port() is passed on to 127.0.0.1:3050. Stopping the relay, or
// letting it cut at a chosen request, stands for the server going away at that moment without
// disturbing anyone else who uses the server.
#include <atomic>
#include <string>
#include <thread>

namespace mig::test {

class Relay {
public:
    explicit Relay(int serverPort = 3050);  // listening at once
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int port() const { return port_; }
    // The server address the program is configured with to go through the relay: "127.0.0.1/PORT".
    std::string serverAddress() const;

    // Listens again, on the same port.
    void start();
    // Closes the listening socket and every relayed connection; nothing happens when stopped.
    void stop();
    bool listening() const { return thread_.joinable() && !cut_; }

    // Arms a cut: when a client sends its `n`-th request from now (n >= 1), that request is not
    // passed on, every relayed connection is closed and the relay stops listening, as a server
    // that goes away in the middle of a conversation. A request is one read from a client
    // socket: the client waits for the server's answer before it sends the next one.
    void cutAtRequest(int n);
    // Whether an armed cut has happened.
    bool cutHappened() const { return cut_; }
    // Requests passed on to the server since the relay was made.
    int requestsPassed() const { return requests_; }

private:
    void run();

    int serverPort_;
    int port_ = 0;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<int> countdown_{0};  // 0: no cut armed
    std::atomic<bool> cut_{false};
    std::atomic<int> requests_{0};
};

}  // namespace mig::test
