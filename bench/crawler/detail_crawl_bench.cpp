// The detail crawl of 2,000 rows against the local job site (posting pages of about 60 KB),
// next to the curl tool fetching the same 2,000 addresses in one invocation, and the crawl's own
// work per row (decoding, the four patterns, the table writes, the log line) on a page in memory.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "crawler/detail_crawl.h"
#include "http/charset_decoding.h"
#include "http/http_request.h"
#include "tests/support/fake_host.h"
#include "tests/support/server_process.h"
#include "text/gbk_codec.h"

namespace {

constexpr int kRows = 2000;

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// A host that keeps the log lines like the window does but never shows them.
class QuietHost : public FakeHost {
public:
    void appendLog(const Text& line) override { logBytes += line.size() + 2; }
    std::size_t logBytes = 0;
};

}  // namespace

int main()
{
    ServerProcess server("crawler/site_server.py");
    if (!server.running()) {
        std::fprintf(stderr, "the local site did not start\n");
        return 1;
    }
    std::vector<std::string> urls;
    for (int i = 0; i < kRows; ++i) urls.push_back(server.baseUrl() + "/big/" + std::to_string(i) + ".html");

    // One page, raw and decoded, for the in-memory measurement and to report its size.
    Bytes raw;
    Text status;
    HttpRequestArgs args;
    args.responseBytes = &raw;
    args.statusText = &status;
    const Text page = httpRequest(urls[0], args);
    if (page.empty()) {
        std::fprintf(stderr, "no page: %s\n", text::toUtf8(status).c_str());
        return 1;
    }

    // curl, all addresses in one invocation (it keeps its connection open between them), and the
    // crawl; each runs three times, alternating, and the best run of each counts.
    const std::string config = "/tmp/detail_crawl_bench_curl_" + std::to_string(getpid()) + ".txt";
    {
        std::ofstream out(config);
        for (const std::string& url : urls) out << "url = \"" << url << "\"\noutput = \"/dev/null\"\n";
    }
    JobTable table;
    for (const std::string& url : urls) {
        const int r = table.insertRow();
        table.setCellText(r, JobColumn::pageUrl, url);
    }
    double curlSeconds = 1e9;
    double crawlSeconds = 1e9;
    double crawlCpu = 1e9;
    for (int run = 0; run < 3; ++run) {
        const double curlStart = wallSeconds();
        const int curlStatus = std::system(("curl -sk --http1.1 --fail -K " + config + " >/dev/null").c_str());
        curlSeconds = std::min(curlSeconds, wallSeconds() - curlStart);
        if (curlStatus != 0) std::fprintf(stderr, "curl ended with status %d\n", curlStatus);

        QuietHost host;
        const double crawlStart = wallSeconds();
        const double crawlCpuStart = cpuSeconds();
        crawlDetails(host, table);
        crawlSeconds = std::min(crawlSeconds, wallSeconds() - crawlStart);
        crawlCpu = std::min(crawlCpu, cpuSeconds() - crawlCpuStart);
    }
    std::remove(config.c_str());
    int filled = 0;
    for (int r = 0; r < kRows; ++r) filled += !table.cellText(r, JobColumn::education).empty();

    // The crawl's own work per row on the page held in memory: what crawlDetailRow and
    // crawlDetails do besides waiting for the network.
    const Text crawling = text::fromUtf8("正在爬取：");
    const Text details = text::fromUtf8("条详情");
    JobTable memoryTable;
    memoryTable.reserve(kRows);
    for (int r = 0; r < kRows; ++r) memoryTable.insertRow();
    QuietHost memoryHost;
    const double ownStart = cpuSeconds();
    for (int r = 0; r < kRows; ++r) {
        const Text decoded = decodeResponseText(raw, &memoryHost);
        writeDetailCells(memoryTable, r, decoded);
        memoryHost.appendLog(crawling + text::toText(r + 1) + details);
        memoryHost.reportProgress(r + 1, kRows);
    }
    const double ownSeconds = cpuSeconds() - ownStart;

    const double msCurl = curlSeconds * 1000 / kRows;
    const double msCrawl = crawlSeconds * 1000 / kRows;
    std::printf("detail crawl, %d rows, posting page %zu bytes (%zu as GBK text)\n", kRows, raw.size(),
                page.size());
    std::printf("  rows filled                    %d of %d\n", filled, kRows);
    std::printf("  curl, one invocation           %8.3f ms per address\n", msCurl);
    std::printf("  crawlDetails, wall             %8.3f ms per row   (%.2f x curl; goal <= 2; best of three runs each)\n", msCrawl,
                msCrawl / msCurl);
    std::printf("  crawlDetails, process CPU      %8.3f ms per row   (TLS and transfer included)\n",
                crawlCpu * 1000 / kRows);
    std::printf("  own work in memory, CPU        %8.3f ms per row   (goal < 0.3)\n", ownSeconds * 1000 / kRows);
    return 0;
}
