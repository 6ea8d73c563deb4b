#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace tervis::exporter {

// Where to listen: a host name or address and a port.
struct TListenAddress {
    std::string Host = "127.0.0.1";
    int Port = 9731;
};
// "HOST:PORT", "[IPV6]:PORT" or ":PORT" (loopback); false for anything else.
bool ParseListenAddress(const std::string& text, TListenAddress& address);

// The HTTP side: GET /metrics (the page) and GET / (a pointer to it), nothing else, on threads of its
// own. Bounded: a fixed number of workers with a short queue (further connections wait in the
// listening socket's backlog), small requests only, and a read timeout on every request.
class TMetricsServer {
public:
    static constexpr int kWorkers = 4;
    static constexpr int kQueuedConnections = 16;
    static constexpr std::size_t kMaxBodyBytes = 1024;
    static constexpr int kReadTimeoutSeconds = 2;
    static constexpr int kWriteTimeoutSeconds = 5;

    explicit TMetricsServer(std::function<std::string()> page);
    ~TMetricsServer();
    // Binds and starts serving; false with the reason when the address cannot be bound.
    bool Start(const TListenAddress& address, std::string& problem);
    int BoundPort() const { return boundPort_; }

private:
    std::function<std::string()> page_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int boundPort_ = 0;
};

}  // namespace tervis::exporter
