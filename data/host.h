#pragma once
// Host: what the jobs (crawls, cleaning, saving, loading, export) need from the window. The
// window implements it; tests implement it without a window.

#include <string>

#include "text/message_pump.h"
#include "text/text.h"

// The save-file dialog's settings. The window keeps one of these for the program's life, so a
// second use proposes the path chosen the time before.
struct FileDialog {
    int kind = 1;              // 1 = save
    Text defaultExtension;     // added to a name typed without one, e.g. ".csv"
    Text filter;               // description and pattern pairs joined by "|"
    std::string fileName;      // initial name; the chosen path after confirmation (UTF-8)
};

class Host : public MessagePump {
public:
    // Appends text + "\r\n" to the activity log.
    virtual void appendLog(const Text& line) = 0;
    // The current text of the keyword box.
    virtual Text keyword() const = 0;
    // Modal input box with an empty field; true and the typed text on confirm, false on cancel.
    virtual bool inputBox(const Text& prompt, Text& typed) = 0;
    // Modal message box, OK only.
    virtual void messageBox(const Text& message) = 0;
    // The dialog settings kept between uses, and showing it: true when confirmed, with
    // fileDialog().fileName then the chosen path.
    virtual FileDialog& fileDialog() = 0;
    virtual bool openFileDialog() = 0;
    // Directory of the program file, without a trailing slash (UTF-8).
    virtual std::string runDirectory() const = 0;
    // The data directory the window chose at start-up (UTF-8, no trailing slash).
    virtual std::string dataDirectory() const = 0;
    // How far a long job is: done of total steps. The window may show it; tests may ignore it.
    virtual void reportProgress(int done, int total) { (void)done; (void)total; }
};
