#include "tests/crawler/local_site.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

std::string uniqueRequestsFile()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/crawler_site_XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd >= 0) close(fd);
    return path;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string percentDecode(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

LocalSite::LocalSite()
    : requestsFile_(uniqueRequestsFile()),
      server_(std::make_unique<ServerProcess>("crawler/site_server.py",
                                              std::vector<std::string>{"--requests", requestsFile_}))
{
}

LocalSite::~LocalSite()
{
    server_.reset();
    std::remove(requestsFile_.c_str());
}

std::vector<std::string> LocalSite::requests() const
{
    std::vector<std::string> targets;
    std::ifstream in(requestsFile_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        // "GET <target> HTTP/1.1"
        const std::size_t first = line.find(' ');
        const std::size_t last = line.rfind(' ');
        if (first == std::string::npos || last <= first) continue;
        targets.push_back(percentDecode(line.substr(first + 1, last - first - 1)));
    }
    return targets;
}

void LocalSite::clearRequests()
{
    std::ofstream(requestsFile_, std::ios::binary | std::ios::trunc);
}
