#pragma once
// The local job site (site_server.py) for the crawler tests, and what it was asked.

#include <memory>
#include <string>
#include <vector>

#include "tests/support/server_process.h"

class LocalSite {
public:
    LocalSite();
    ~LocalSite();
    LocalSite(const LocalSite&) = delete;
    LocalSite& operator=(const LocalSite&) = delete;

    bool running() const { return server_->running(); }
    // "127.0.0.1:<port>", what the list crawl takes as its search host.
    std::string hostPort() const { return server_->hostPort(); }
    // "https://127.0.0.1:<port>" + path
    std::string url(const std::string& path) const { return server_->baseUrl() + path; }

    // The request targets received since the last clear, percent-escapes decoded (raw bytes).
    std::vector<std::string> requests() const;
    void clearRequests();

private:
    std::string requestsFile_;
    std::unique_ptr<ServerProcess> server_;
};

// "%41" becomes "A"; everything else stays.
std::string percentDecode(const std::string& s);
