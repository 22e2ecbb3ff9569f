#pragma once
// Helpers of the window tests: a scratch run directory and finding the window's controls.

#include <functional>
#include <string>

#include <QApplication>
#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

// A fresh directory that is removed with the object.
class ScratchDir {
public:
    ScratchDir();
    // The directory itself, or a path below it (UTF-8).
    std::string path(const std::string& relative = std::string()) const;
    // Writes a file (creating missing parent directories).
    void writeFile(const std::string& relative, const std::string& bytes) const;
    void makeDir(const std::string& relative) const;

private:
    QTemporaryDir dir_;
};

template <class Control>
Control* control(QWidget& window, const char* name)
{
    auto* found = window.findChild<Control*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QStringList entries(const QListWidget& list);

// Answers the next modal box once it is up (call it before the code that shows the box). A box of
// another kind is a test failure and is closed.
template <class Box>
void answerNextModal(std::function<void(Box*)> answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no modal box of the expected kind";
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
            return;
        }
        answer(box);
    });
}

// Runs the program's event loop until something ends it and returns its exit code; a loop still
// running after safetyMs is ended with exit code 2.
int execWithSafetyNet(int safetyMs);

// Collects Qt warnings while it lives (the model tester reports its findings as warnings).
class WarningCollector {
public:
    WarningCollector();
    ~WarningCollector();
    QStringList warnings;
};
