#pragma once
// Starts a local test server (a Python script under tests/) as a child process for the life of
// the object. The script must print "PORT <n>" as its first line on stdout once it listens on
// 127.0.0.1, and print nothing else there (stdout is closed after that line; log to stderr).

#include <string>
#include <vector>

class ServerProcess {
public:
    // script: path relative to the tests/ folder, e.g. "http/test_server.py".
    explicit ServerProcess(const std::string& script, const std::vector<std::string>& args = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    // "127.0.0.1:<port>"
    std::string hostPort() const;
    // "https://127.0.0.1:<port>" (or http:// when secure is false)
    std::string baseUrl(bool secure = true) const;

private:
    int pid_ = -1;
    int port_ = 0;
};

// The folder of the test sources, with no trailing slash.
std::string testSourceDir();
