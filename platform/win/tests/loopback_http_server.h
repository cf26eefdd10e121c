// A small HTTP server on the loopback interface for tests of downloads: it
// serves bodies by path, answers 404 for unknown paths, and can cut a body
// short (announcing its whole length) or stall without answering.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace suite_test {

class LoopbackHttpServer {
public:
    enum class Mode { Whole, Cut, Stall };
    struct Reply {
        std::string body;
        Mode mode = Mode::Whole;
        int status = 200;
    };

    LoopbackHttpServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        const int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0) {
            ::close(listener_);
            listener_ = -1;
            return;
        }
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~LoopbackHttpServer() {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
        }
        stopped_.notify_all();
        if (listener_ >= 0) ::shutdown(listener_, SHUT_RDWR);
        if (acceptor_.joinable()) acceptor_.join();
        if (listener_ >= 0) ::close(listener_);
        for (std::thread& t : connections_) t.join();
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Running() const { return port_ != 0; }
    int Port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    void Serve(const std::string& path, const std::string& body, Mode mode = Mode::Whole, int status = 200) {
        std::lock_guard guard(lock_);
        replies_[path] = Reply{body, mode, status};
    }
    // How often `path` was asked for.
    int Requests(const std::string& path) const {
        std::lock_guard guard(lock_);
        auto it = requests_.find(path);
        return it == requests_.end() ? 0 : it->second;
    }

private:
    void acceptLoop() {
        for (;;) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) return;
            std::lock_guard guard(lock_);
            if (stopping_) {
                ::close(client);
                return;
            }
            connections_.emplace_back([this, client] { answer(client); });
        }
    }
    void answer(int client) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        std::string path;
        const std::size_t first = request.find(' ');
        if (first != std::string::npos) path = request.substr(first + 1, request.find(' ', first + 1) - first - 1);
        Reply reply{"", Mode::Whole, 404};
        {
            std::lock_guard guard(lock_);
            ++requests_[path];
            if (auto it = replies_.find(path); it != replies_.end()) reply = it->second;
        }
        if (reply.mode == Mode::Stall) {
            std::unique_lock guard(lock_);
            stopped_.wait(guard, [this] { return stopping_; });
            ::close(client);
            return;
        }
        const std::string reason = reply.status == 200 ? "OK" : reply.status == 404 ? "Not Found" : "Error";
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reason +
                           "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                           "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
        std::string body = reply.mode == Mode::Cut ? reply.body.substr(0, reply.body.size() / 2) : reply.body;
        const std::string all = head + body;
        std::size_t sent = 0;
        while (sent < all.size()) {
            const ssize_t n = ::send(client, all.data() + sent, all.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(client, SHUT_WR);
        ::close(client);
    }

    int listener_ = -1;
    int port_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> connections_;
    mutable std::mutex lock_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::map<std::string, Reply> replies_;
    std::map<std::string, int> requests_;
};

}  // namespace suite_test
