#include "tests/support/Relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace mig::test {

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// Passes what one side sent to the other; false when the connection is over.
bool pass(int from, int to, bool& cutNow, std::atomic<int>* countdown, std::atomic<int>* requests) {
    char buf[65536];
    const ssize_t n = ::read(from, buf, sizeof buf);
    if (n <= 0) return false;
    if (countdown) {
        int left = countdown->load();
        while (left > 0 && !countdown->compare_exchange_weak(left, left - 1)) {
        }
        if (left == 1) {
            cutNow = true;
            return false;
        }
        ++*requests;
    }
    for (ssize_t done = 0; done < n;) {
        const ssize_t w = ::send(to, buf + done, static_cast<std::size_t>(n - done), MSG_NOSIGNAL);
        if (w <= 0) return false;
        done += w;
    }
    return true;
}

}  // namespace

Relay::Relay(int serverPort) : serverPort_(serverPort) { start(); }

Relay::~Relay() { stop(); }

std::string Relay::serverAddress() const { return "127.0.0.1/" + std::to_string(port_); }

void Relay::start() {
    stop();
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = loopback(port_);
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 16) != 0) {
        ::close(listen_);
        listen_ = -1;
        throw std::runtime_error("relay: cannot listen on port " + std::to_string(port_));
    }
    socklen_t len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("relay: pipe");
    countdown_ = 0;
    cut_ = false;
    thread_ = std::thread([this] { run(); });
}

void Relay::stop() {
    if (!thread_.joinable()) return;
    const char x = 0;
    (void)!::write(wake_[1], &x, 1);
    thread_.join();
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
    ::close(wake_[0]);
    ::close(wake_[1]);
    wake_[0] = wake_[1] = -1;
}

void Relay::cutAtRequest(int n) { countdown_ = n < 1 ? 1 : n; }

void Relay::run() {
    std::vector<std::pair<int, int>> pairs;  // client side, server side
    bool cutNow = false;
    while (!cutNow) {
        std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
        for (auto [client, server] : pairs) {
            fds.push_back({client, POLLIN, 0});
            fds.push_back({server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in a = loopback(serverPort_);
            if (client >= 0 && ::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                pairs.emplace_back(client, server);
            } else {
                if (client >= 0) ::close(client);
                ::close(server);
            }
        }
        // A connection accepted just now was not polled yet: it waits for the next round.
        const std::size_t polled = (fds.size() - 2) / 2;
        std::vector<std::pair<int, int>> alive;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const auto [client, server] = pairs[i];
            if (cutNow) {
                ::close(client);
                ::close(server);
                continue;
            }
            if (i >= polled) {
                alive.emplace_back(client, server);
                continue;
            }
            const short fromClient = fds[2 + 2 * i].revents;
            const short fromServer = fds[3 + 2 * i].revents;
            bool open = true;
            if (fromClient & (POLLIN | POLLHUP | POLLERR)) open = pass(client, server, cutNow, &countdown_, &requests_);
            if (open && !cutNow && (fromServer & (POLLIN | POLLHUP | POLLERR)))
                open = pass(server, client, cutNow, nullptr, nullptr);
            // Told before the client can see its connection close.
            if (cutNow) cut_ = true;
            if (open && !cutNow) {
                alive.emplace_back(client, server);
            } else {
                ::close(client);
                ::close(server);
            }
        }
        pairs = std::move(alive);
    }
    for (auto [client, server] : pairs) {
        ::close(client);
        ::close(server);
    }
    if (cutNow) {
        // The server is gone: nobody answers on the relay's port any more.
        ::close(listen_);
        listen_ = -1;
        cut_ = true;
    }
}

}  // namespace mig::test
