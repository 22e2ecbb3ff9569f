// 1,000 sequential GETs of a 100 KB GBK page from the local HTTPS test server: httpRequest
// against the curl command-line tool fetching the same addresses in one invocation (which keeps
// its connection). Each side runs three times, alternating; the better run of each is compared.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "http/http_request.h"
#include "tests/support/server_process.h"

namespace {

const int Requests = 1000;
const int Rounds = 3;
const double Goal = 1.3;
const size_t PageBytes = 100 * 1024;

// The window's pump as the crawls see it, with nothing to dispatch.
class IdlePump : public MessagePump {
public:
    void processPendingMessages() override {}
    void delayProcessingMessages(int) override {}
    bool stopRequested() const override { return false; }
};

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string address(const ServerProcess& server, int i)
{
    return server.baseUrl() + "/page/" + std::to_string(i) + ".html";
}

double timeEngine(const ServerProcess& server, bool& ok)
{
    IdlePump pump;
    Bytes body;
    Text status;
    HttpRequestArgs args;
    args.pump = &pump;
    args.responseBytes = &body;
    args.statusText = &status;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Requests; ++i) {
        const Text page = httpRequest(address(server, i), args);
        if (body.size() != PageBytes || page.empty() || status != "200 OK") ok = false;
    }
    return seconds(start);
}

double timeCurlTool(const std::string& config)
{
    const std::string command = "curl --silent --insecure --http1.1 --config " + config;
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double elapsed = seconds(start);
    return rc == 0 ? elapsed : -1;
}

}  // namespace

int main()
{
    ServerProcess server("http/test_server.py");
    if (!server.running()) {
        std::fprintf(stderr, "test server did not start\n");
        return 1;
    }
    const std::string config = "/tmp/http_bench_urls_" + std::to_string(getpid()) + ".txt";
    {
        std::ofstream out(config);
        for (int i = 0; i < Requests; ++i)
            out << "url = \"" << address(server, i) << "\"\noutput = \"/dev/null\"\n";
    }
    bool ok = true;
    httpRequest(address(server, 0));  // warm up both the server and the library
    double best = 1e9, bestCurl = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        const double curlTime = timeCurlTool(config);
        if (curlTime < 0) {
            std::fprintf(stderr, "the curl tool failed\n");
            std::remove(config.c_str());
            return 1;
        }
        const double engineTime = timeEngine(server, ok);
        std::printf("round %d: httpRequest %.3f s, curl tool %.3f s\n", round + 1, engineTime, curlTime);
        if (engineTime < best) best = engineTime;
        if (curlTime < bestCurl) bestCurl = curlTime;
    }
    std::remove(config.c_str());
    if (!ok) {
        std::fprintf(stderr, "httpRequest returned a wrong page\n");
        return 1;
    }
    const double ratio = best / bestCurl;
    std::printf("%d GETs of a %zu-byte GBK page over HTTPS\n", Requests, PageBytes);
    std::printf("httpRequest:  %.3f s (%.2f ms per request)\n", best, best * 1000 / Requests);
    std::printf("curl tool:    %.3f s (%.2f ms per request)\n", bestCurl, bestCurl * 1000 / Requests);
    std::printf("ratio:        %.2f x (goal: within %.1f x) %s\n", ratio, Goal, ratio <= Goal ? "met" : "NOT met");
    return 0;
}
