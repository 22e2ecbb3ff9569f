#include "tests/support/fake_host.h"

#include "text/gbk_codec.h"

void FakeHost::processPendingMessages()
{
    ++pumped;
    if (onPump) onPump(*this);
}

void FakeHost::delayProcessingMessages(int ms)
{
    delays.push_back(ms);
    processPendingMessages();
}

bool FakeHost::inputBox(const Text& prompt, Text& typed)
{
    inputPrompts.push_back(prompt);
    if (inputAnswers.empty()) return false;
    typed = inputAnswers.front();
    inputAnswers.pop_front();
    return true;
}

bool FakeHost::openFileDialog()
{
    ++dialogOpened;
    if (dialogAnswers.empty()) return false;
    dialog.fileName = dialogAnswers.front();
    dialogAnswers.pop_front();
    return true;
}

std::vector<std::string> FakeHost::logUtf8() const
{
    std::vector<std::string> lines;
    for (const Text& line : log) lines.push_back(text::toUtf8(line));
    return lines;
}

Text gbk(const std::string& utf8)
{
    return text::fromUtf8(utf8);
}
