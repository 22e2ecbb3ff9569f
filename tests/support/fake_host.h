#pragma once
// A Host without a window, for running jobs in tests. It records what the job asked of it and
// answers from scripted values. Pauses are recorded, not slept.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "data/host.h"

class FakeHost : public Host {
public:
    // Log lines as given (GBK), without the "\r\n" the window adds.
    std::vector<Text> log;
    // The keyword box's text (GBK).
    Text keywordText = "java";
    // Scripted input-box answers: each use takes the front one; an empty queue means cancel.
    std::deque<Text> inputAnswers;
    std::vector<Text> inputPrompts;
    std::vector<Text> messages;
    // The file dialog: each use takes the front answer (a path) and confirms; empty: cancel.
    FileDialog dialog;
    std::deque<std::string> dialogAnswers;
    int dialogOpened = 0;
    std::string runDir = ".";
    std::string dataDir = "./data";
    // Every pause asked for, in ms.
    std::vector<int> delays;
    int pumped = 0;
    bool stop = false;
    std::vector<std::pair<int, int>> progress;
    // Called on every processPendingMessages / delay, e.g. to press "stop" at a chosen moment.
    std::function<void(FakeHost&)> onPump;

    void processPendingMessages() override;
    void delayProcessingMessages(int ms) override;
    bool stopRequested() const override { return stop; }
    void appendLog(const Text& line) override { log.push_back(line); }
    Text keyword() const override { return keywordText; }
    bool inputBox(const Text& prompt, Text& typed) override;
    void messageBox(const Text& message) override { messages.push_back(message); }
    FileDialog& fileDialog() override { return dialog; }
    bool openFileDialog() override;
    std::string runDirectory() const override { return runDir; }
    std::string dataDirectory() const override { return dataDir; }
    void reportProgress(int done, int total) override { progress.emplace_back(done, total); }

    // The log as UTF-8 lines, for readable assertions.
    std::vector<std::string> logUtf8() const;
};

// "..." (UTF-8 source text) as GBK, for literals in tests.
Text gbk(const std::string& utf8);
