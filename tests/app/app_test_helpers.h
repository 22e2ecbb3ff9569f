#pragma once
// Helpers of the window tests: a scratch run directory and finding the window's controls.

#include <string>

#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
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
