// tervis-exporter against simulated multiplexers, checked by Prometheus's own tools: every page passes
// "promtool check metrics", and a real Prometheus server on loopback scrapes it and answers queries.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

#include "support/Process.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using namespace std::chrono_literals;
using test::TSimulatorProcess;
using test::TTempDir;

const std::string kPromtool = TERVIS_PROMTOOL_PATH;
const std::string kPrometheus = TERVIS_PROMETHEUS_PATH;

// A port nobody listens on right now, for a server that cannot be told to take any free port.
int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

bool Eventually(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(200ms);
    }
    return condition();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The exporter on a free loopback port, with its inventory written to dir.
class TExporter {
public:
    TExporter(const TTempDir& dir, const std::string& inventory)
        : process_(([&] {
              WriteText(dir.File("inventory.ini"), inventory);
              return std::vector<std::string>{TERVIS_EXPORTER_PATH,
                                              "--inventory",
                                              dir.File("inventory.ini"),
                                              "--listen",
                                              "127.0.0.1:0",
                                              "--interval",
                                              "0",
                                              "--timeout",
                                              "1.5"};
          })()) {
        const std::optional<std::string> url = process_.FirstLine();
        if (url && url->rfind("http://127.0.0.1:", 0) == 0) {
            port_ = std::stoi(url->substr(17));
        }
    }
    int Port() const { return port_; }
    std::string Page() {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(5, 0);
        const auto response = client.Get("/metrics");
        return response && response->status == 200 ? response->body : std::string();
    }
    std::string Stderr() const { return process_.Stderr(); }

private:
    TSimulatorProcess process_;
    int port_ = 0;
};

// promtool's verdict on a page: empty when it passes.
std::string PromtoolProblems(const TTempDir& dir, const std::string& page) {
    WriteText(dir.File("page.txt"), page);
    const test::TRunResult result = test::Run(
        {"/bin/sh", "-c", "'" + kPromtool + "' check metrics < '" + dir.File("page.txt") + "'"}, 30s);
    return result.Status == 0 ? std::string() : "status " + std::to_string(result.Status) + ": " + result.Err;
}

bool HasLine(const std::string& page, const std::string& line) {
    return page.find(line + "\n") != std::string::npos;
}

class ExporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(kPromtool.c_str(), X_OK) != 0 || access(kPrometheus.c_str(), X_OK) != 0) {
            GTEST_SKIP() << "prometheus and promtool are not installed (scripts/bootstrap installs them)";
        }
    }
    TTempDir dir_;
};

TEST_F(ExporterTest, AlertRulesPassPromtool) {
    const test::TRunResult result =
        test::Run({kPromtool, "check", "rules",
                   std::string(TERVIS_SOURCE_DIR) + "/contrib/prometheus/tervis-alerts.yml"});
    EXPECT_EQ(result.Status, 0) << result.Out << result.Err;
    EXPECT_NE(result.Out.find("4 rules found"), std::string::npos) << result.Out;
}

// Three multiplexers on one line, the local one and two remote ones behind it, scraped by Prometheus;
// then a stream of the first remote one is lost and Prometheus sees the alarm.
TEST_F(ExporterTest, PrometheusScrapesThreeMultiplexersOnOneLineAndSeesAStreamAlarm) {
    WriteText(dir_.File("scenario.txt"), "at 10 @3,1-7,0; alarm 2 1 los on\n");
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "1:10", "--remote", "3,1-7,0;=2:10", "--remote",
                           "3,2-7,0;=5:7", "--scenario", dir_.File("scenario.txt")});
    ASSERT_TRUE(sim.FirstLine());
    const std::string line = sim.Path();
    TExporter exporter(dir_, "[local]\nport=" + line + "\n[east]\nport=" + line +
                                 "\naddress=3,1-7,0;\n[west]\nport=" + line + "\naddress=3,2-7,0\n");
    ASSERT_GT(exporter.Port(), 0) << exporter.Stderr();

    const int webPort = FreePort();
    WriteText(dir_.File("prometheus.yml"),
              "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
              "scrape_configs:\n  - job_name: tervis\n    static_configs:\n      - targets: ['127.0.0.1:" +
                  std::to_string(exporter.Port()) + "']\n");
    TSimulatorProcess prometheus({kPrometheus, "--config.file=" + dir_.File("prometheus.yml"),
                                  "--storage.tsdb.path=" + dir_.File("data"),
                                  "--web.listen-address=127.0.0.1:" + std::to_string(webPort)});
    httplib::Client api("127.0.0.1", webPort);
    api.set_read_timeout(5, 0);
    const auto query = [&](const std::string& expression) -> std::map<std::string, std::string> {
        std::map<std::string, std::string> values;  // mux label → value
        const auto response =
            api.Get("/api/v1/query", httplib::Params{{"query", expression}}, httplib::Headers{});
        if (!response || response->status != 200) {
            return values;
        }
        const nlohmann::json body = nlohmann::json::parse(response->body, nullptr, false);
        if (body.is_discarded() || body.value("status", "") != "success") {
            return values;
        }
        for (const nlohmann::json& item : body["data"]["result"]) {
            values[item["metric"].value("mux", "")] = item["value"][1].get<std::string>();
        }
        return values;
    };

    const std::map<std::string, std::string> allUp = {{"east", "1"}, {"local", "1"}, {"west", "1"}};
    EXPECT_TRUE(Eventually([&] { return query("tervis_link_up") == allUp; }, 40s))
        << "Prometheus saw: " << query("tervis_link_up").size() << " series\n"
        << exporter.Page();
    const std::string lost = "tervis_alarm_active{alarm=\"stream_loss\",slot=\"2\",stream=\"1\"}";
    EXPECT_EQ(query(lost), (std::map<std::string, std::string>{{"east", "0"}}));
    const std::string before = exporter.Page();
    EXPECT_EQ(PromtoolProblems(dir_, before), "");
    EXPECT_TRUE(HasLine(before, "tervis_board_info{mux=\"west\",slot=\"5\",type=\"1E1\",state=\"раб.\"} 1"))
        << before;

    EXPECT_TRUE(Eventually(
        [&] {
            return query(lost) == std::map<std::string, std::string>{{"east", "1"}};
        },
        40s))
        << exporter.Page();
    const std::string after = exporter.Page();
    EXPECT_EQ(PromtoolProblems(dir_, after), "");
    EXPECT_TRUE(HasLine(after,
                        "tervis_alarm_active{mux=\"east\",slot=\"2\",stream=\"1\",alarm=\"stream_loss\","
                        "text=\"Потеря потока (слот 2)!\"} 1"))
        << after;
    // Only that stream: the same stream of the local multiplexer stays clear.
    EXPECT_TRUE(HasLine(after,
                        "tervis_alarm_active{mux=\"local\",slot=\"1\",stream=\"1\",alarm=\"stream_loss\","
                        "text=\"Потеря потока (слот 1)!\"} 0"))
        << after;
}

// A line where nobody answers, and a multiplexer that falls silent in the middle of its walk: both are
// reported down, and the other line's multiplexer goes on being polled meanwhile.
TEST_F(ExporterTest, SilentPortAndADeviceThatStopsAnsweringMidWalk) {
    WriteText(dir_.File("quiet.txt"), "at 0 silent on\n");
    WriteText(dir_.File("fading.txt"), "at 3 silent on\n");
    TSimulatorProcess quiet({TERVIS_MUXSIM_PATH, "--scenario", dir_.File("quiet.txt")});
    TSimulatorProcess fading({TERVIS_MUXSIM_PATH, "--demo", "--scenario", dir_.File("fading.txt")});
    TSimulatorProcess steady({TERVIS_MUXSIM_PATH, "--board", "4:7"});
    ASSERT_TRUE(quiet.FirstLine() && fading.FirstLine() && steady.FirstLine());
    TExporter exporter(dir_, "[quiet]\nport=" + quiet.Path() + "\n[fading]\nport=" + fading.Path() +
                                 "\n[steady]\nport=" + steady.Path() + "\n");
    ASSERT_GT(exporter.Port(), 0) << exporter.Stderr();

    std::string page;
    EXPECT_TRUE(Eventually(
        [&] {
            page = exporter.Page();
            return HasLine(page, "tervis_link_up{mux=\"quiet\"} 0") &&
                   HasLine(page, "tervis_link_up{mux=\"fading\"} 0") &&
                   HasLine(page, "tervis_link_up{mux=\"steady\"} 1");
        },
        30s))
        << page;
    EXPECT_EQ(PromtoolProblems(dir_, page), "");
    // Nothing of a silent multiplexer but its link, its walk's duration and time.
    EXPECT_EQ(page.find("tervis_board_info{mux=\"fading\""), std::string::npos) << page;
    EXPECT_EQ(page.find("tervis_board_info{mux=\"quiet\""), std::string::npos) << page;
    EXPECT_TRUE(HasLine(page, "tervis_board_info{mux=\"steady\",slot=\"4\",type=\"1E1\",state=\"раб.\"} 1"))
        << page;
}

// Only GET / and GET /metrics are served, requests are small, and clients that connect and say nothing
// do not keep the page from others for longer than the read timeout.
TEST_F(ExporterTest, HttpServesOnlyItsTwoPagesAndBoundsItsClients) {
    TExporter exporter(dir_, "[nowhere]\nport=" + dir_.File("no-such-device") + "\n");
    ASSERT_GT(exporter.Port(), 0) << exporter.Stderr();
    std::vector<int> idle;
    for (int i = 0; i < 8; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(exporter.Port()));
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        idle.push_back(fd);
    }
    httplib::Client client("127.0.0.1", exporter.Port());
    client.set_read_timeout(10, 0);
    const auto page = client.Get("/metrics");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
    for (const int fd : idle) {
        close(fd);
    }

    const auto index = client.Get("/");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->status, 200);
    EXPECT_NE(index->body.find("/metrics"), std::string::npos);
    const auto other = client.Get("/metrics/../etc/passwd");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 404);
    const auto post = client.Post("/metrics", "x", "text/plain");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 405);
    const auto big = client.Post("/metrics", std::string(64 * 1024, 'x'), "text/plain");
    EXPECT_TRUE(!big || big->status == 413 || big->status == 405) << (big ? big->status : 0);
    const auto longHeader =
        client.Get("/metrics", httplib::Headers{{"X-Filler", std::string(16 * 1024, 'y')}});
    EXPECT_TRUE(!longHeader || longHeader->status >= 400);
}

// The same metrics of one multiplexer from tervis-cli, for node_exporter's textfile collector; a device
// that does not answer still gives a page that says so.
TEST_F(ExporterTest, CliStatusWritesTheSameMetrics) {
    WriteText(dir_.File("quiet.txt"), "at 0 silent on\n");
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "6:10", "--remote", "2,1-3,0;=4:7"});
    TSimulatorProcess quiet({TERVIS_MUXSIM_PATH, "--scenario", dir_.File("quiet.txt")});
    ASSERT_TRUE(sim.FirstLine() && quiet.FirstLine());

    const test::TRunResult remote = test::Run({TERVIS_CLI_PATH, "status", "--prometheus", "--port",
                                               sim.Path(), "--address", "2,1-3,0;", "--timeout", "3"},
                                              60s);
    EXPECT_EQ(remote.Status, 0) << remote.Err;
    const std::string m = "mux=\"" + sim.Path() + " 2,1-3,0;\"";
    EXPECT_TRUE(HasLine(remote.Out, "tervis_link_up{" + m + "} 1")) << remote.Out;
    EXPECT_TRUE(HasLine(remote.Out, "tervis_board_info{" + m + ",slot=\"4\",type=\"1E1\",state=\"раб.\"} 1"))
        << remote.Out;
    EXPECT_TRUE(HasLine(
        remote.Out, "tervis_alarm_active{" + m +
                        ",slot=\"4\",stream=\"0\",alarm=\"stream_loss\",text=\"Потеря потока (слот 4)!\"} 0"))
        << remote.Out;
    EXPECT_EQ(remote.Out.find("tervis_board_info{" + m + ",slot=\"6\""), std::string::npos)
        << "the local multiplexer's board: " << remote.Out;
    EXPECT_EQ(PromtoolProblems(dir_, remote.Out), "");

    const test::TRunResult silent =
        test::Run({TERVIS_CLI_PATH, "status", "--prometheus", "--port", quiet.Path(), "--timeout", "1"}, 60s);
    EXPECT_EQ(silent.Status, 3) << silent.Err;
    EXPECT_TRUE(HasLine(silent.Out, "tervis_link_up{mux=\"" + quiet.Path() + "\"} 0")) << silent.Out;
    EXPECT_EQ(silent.Out.find("tervis_board_info"), std::string::npos) << silent.Out;
    EXPECT_EQ(PromtoolProblems(dir_, silent.Out), "");
}

}  // namespace
}  // namespace tervis
