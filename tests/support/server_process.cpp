#include "tests/support/server_process.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

std::string testSourceDir()
{
    return JC_TEST_SOURCE_DIR;
}

ServerProcess::ServerProcess(const std::string& script, const std::vector<std::string>& args)
{
    int out[2];
    if (pipe(out) != 0) return;
    const std::string path = testSourceDir() + "/" + script;
    std::vector<std::string> argv = {"python3", "-u", path};
    argv.insert(argv.end(), args.begin(), args.end());

    pid_ = fork();
    if (pid_ == 0) {
        // The server goes with the test process, also when that one crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> raw;
        for (std::string& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        execvp("python3", raw.data());
        _exit(127);
    }
    close(out[1]);
    if (pid_ < 0) {
        close(out[0]);
        return;
    }
    // Read the first line: "PORT <n>".
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
    close(out[0]);
}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

std::string ServerProcess::hostPort() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::string ServerProcess::baseUrl(bool secure) const
{
    return std::string(secure ? "https://" : "http://") + hostPort();
}
