#include "MetricsServer.h"

#include <httplib.h>

#include <charconv>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

namespace tervis::exporter {

namespace {

// httplib's own pool queues without limit; this one makes the accepting thread wait instead, so that a
// flood of connections stays in the kernel's backlog rather than in our memory.
class TBoundedPool : public httplib::TaskQueue {
public:
    TBoundedPool(int workers, std::size_t queued) : limit_(queued) {
        for (int i = 0; i < workers; ++i) {
            threads_.emplace_back([this] { Work(); });
        }
    }
    ~TBoundedPool() override = default;

    void enqueue(std::function<void()> fn) override {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return jobs_.size() < limit_ || stopping_; });
        jobs_.push_back(std::move(fn));
        work_.notify_one();
    }

    void shutdown() override {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        room_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

private:
    void Work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
                if (jobs_.empty()) {
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            room_.notify_one();
            job();  // each job closes its socket; accepted connections are served even while stopping
        }
    }

    std::size_t limit_;
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable room_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

constexpr const char* kMetricsType = "text/plain; version=0.0.4; charset=utf-8";
constexpr const char* kIndex =
    "<html><head><title>tervis-exporter</title></head><body><h1>tervis-exporter</h1>"
    "<p><a href=\"/metrics\">Metrics</a></p></body></html>\n";

}  // namespace

bool ParseListenAddress(const std::string& text, TListenAddress& address) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string host = text.substr(0, colon);
    const std::string portText = text.substr(colon + 1);
    int port = -1;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() || port < 0 ||
        port > 65535) {
        return false;
    }
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return false;  // an IPv6 address needs its brackets
    }
    address.Host = host.empty() ? "127.0.0.1" : host;
    address.Port = port;
    return true;
}

TMetricsServer::TMetricsServer(std::function<std::string()> page)
    : page_(std::move(page)), server_(std::make_unique<httplib::Server>()) {
    httplib::Server& s = *server_;
    s.new_task_queue = [] { return new TBoundedPool(kWorkers, kQueuedConnections); };
    s.set_payload_max_length(kMaxBodyBytes);
    s.set_read_timeout(kReadTimeoutSeconds, 0);
    s.set_write_timeout(kWriteTimeoutSeconds, 0);
    s.set_keep_alive_timeout(kReadTimeoutSeconds);
    s.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (request.method != "GET" && request.method != "HEAD") {
            response.status = 405;
            response.set_header("Allow", "GET, HEAD");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    s.Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(page_(), kMetricsType);
    });
    s.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(kIndex, "text/html; charset=utf-8");
    });
    s.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        response.status = 500;
        response.set_content("internal error\n", "text/plain");
    });
}

TMetricsServer::~TMetricsServer() {
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool TMetricsServer::Start(const TListenAddress& address, std::string& problem) {
    if (address.Port == 0) {
        boundPort_ = server_->bind_to_any_port(address.Host);
    } else {
        boundPort_ = server_->bind_to_port(address.Host, address.Port) ? address.Port : -1;
    }
    if (boundPort_ <= 0) {
        problem = "не удалось занять адрес " + address.Host + ":" + std::to_string(address.Port);
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    return true;
}

}  // namespace tervis::exporter
