// The server going away and coming back while the connection is open. The loopback server is
// reached through a TCP relay of the test's own, so stopping the relay stands for stopping the
// server without disturbing anyone else using it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "target/db/SQLConnection.h"
#include "tests/support/TestDatabase.h"

namespace mig::test {
namespace {

using db::ConnectionState;
using db::DbError;
using db::SQLConnection;

// Relays every connection made to 127.0.0.1:port() to 127.0.0.1:3050.
class Relay {
public:
    Relay() { start(); }
    ~Relay() { stop(); }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int port() const { return port_; }

    // Listens again on the same port.
    void start() {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a = address(port_);
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 8) != 0)
            throw std::runtime_error("relay: cannot listen");
        socklen_t len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        if (::pipe(wake_) != 0) throw std::runtime_error("relay: pipe");
        thread_ = std::thread([this] { run(); });
    }

    // Closes the listening socket and every relayed connection.
    void stop() {
        if (!thread_.joinable()) return;
        const char x = 0;
        (void)!::write(wake_[1], &x, 1);
        thread_.join();
        ::close(listen_);
        ::close(wake_[0]);
        ::close(wake_[1]);
    }

private:
    static sockaddr_in address(int port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

    void run() {
        std::vector<std::pair<int, int>> pairs;  // client side, server side
        for (;;) {
            std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
            for (auto [a, b] : pairs) {
                fds.push_back({a, POLLIN, 0});
                fds.push_back({b, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[0].revents) break;
            if (fds[1].revents & POLLIN) {
                const int client = ::accept(listen_, nullptr, nullptr);
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in a = address(3050);
                if (client >= 0 &&
                    ::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                    pairs.emplace_back(client, server);
                } else {
                    if (client >= 0) ::close(client);
                    ::close(server);
                }
            }
            std::vector<std::pair<int, int>> alive;
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                const auto [a, b] = pairs[i];
                bool ok = pump(fds[2 + 2 * i], a, b) && pump(fds[3 + 2 * i], b, a);
                if (ok) alive.emplace_back(a, b);
                else {
                    ::close(a);
                    ::close(b);
                }
            }
            pairs = std::move(alive);
        }
        for (auto [a, b] : pairs) {
            ::close(a);
            ::close(b);
        }
    }

    static bool pump(const pollfd& p, int from, int to) {
        if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) return true;
        char buf[65536];
        const ssize_t n = ::read(from, buf, sizeof buf);
        if (n <= 0) return false;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::send(to, buf + done, static_cast<std::size_t>(n - done), MSG_NOSIGNAL);
            if (w <= 0) return false;
            done += w;
        }
        return true;
    }

    int port_ = 0;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

TEST(ServerConnectionLoss, NextUseConnectsOnceTheServerIsBack) {
    MIG_REQUIRE_SERVER();
    emptyServerTables();
    Relay relay;
    SQLConnection c;
    c.Params().setValue("DataBase",
                        "127.0.0.1/" + std::to_string(relay.port()) + ":C:\\korvelan\\dados\\korvelan.bd");
    EXPECT_EQ(c.ExecuteDirect("insert into TABPOSO (CODIGO) values ('1')"), 1u);
    c.StartTransaction();

    relay.stop();  // the server goes away while the connection is open
    EXPECT_THROW(c.ExecuteDirect("delete from TABPOSO"), DbError);
    c.Rollback();  // the lost transaction goes quietly
    EXPECT_FALSE(c.InTransaction());
    // With the server still away the next use tries to connect again, and fails with the
    // client's text, leaving the connection closed.
    try {
        c.ExecuteDirect("delete from TABPOSO");
        ADD_FAILURE() << "connected with the server away";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Unable to complete network request"), std::string::npos) << e.what();
    }
    EXPECT_EQ(c.state(), ConnectionState::Closed);
    EXPECT_EQ(c.connectCount(), 1);

    relay.start();  // back on the same port
    EXPECT_EQ(c.ExecuteDirect("delete from TABPOSO"), 1u);
    EXPECT_EQ(c.state(), ConnectionState::Open);
    EXPECT_EQ(c.connectCount(), 2);
    EXPECT_EQ(c.connectAttempts(), 3);
}

}  // namespace
}  // namespace mig::test
