#pragma once
// MainWindow: the program's one window. It holds the keyword box, the job buttons, the activity
// log, the list of data files and the job table, and is the Host every job runs in.
//
// Jobs run one at a time on the window's thread. While one runs, the job buttons and the file
// list are disabled (the stop button is enabled during crawls); the window keeps painting
// because jobs pump its events. Closing the window during a job hides it, tells the job to stop
// and ends the program once the job has returned, so the job never runs on a destroyed window.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "crawler/list_crawl.h"
#include "data/host.h"
#include "data/job_table.h"

class JobTableModel;
class QEventLoop;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

class MainWindow : public QWidget, public Host {
    Q_OBJECT

public:
    enum class JobKind { crawl, other };

    // runDirectory: "" means the program file's directory. searchHost: the site the list crawl
    // asks (tests pass a local server).
    explicit MainWindow(const std::string& runDirectory = std::string(),
                        const std::string& searchHost = SiteSearchHost, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Host
    void processPendingMessages() override;
    void delayProcessingMessages(int ms) override;
    bool stopRequested() const override { return stopRequested_; }
    void appendLog(const Text& line) override;
    Text keyword() const override;
    bool inputBox(const Text& prompt, Text& typed) override;
    void messageBox(const Text& message) override;
    FileDialog& fileDialog() override { return fileDialog_; }
    bool openFileDialog() override;
    std::string runDirectory() const override { return runDirectory_; }
    std::string dataDirectory() const override { return dataDirectory_; }
    void reportProgress(int done, int total) override;

    // RefreshButton: lists the data directory again, keeping the chosen entry without loading it.
    void refreshDataFileList();
    // ClearListButton: deletes every row; nothing is asked or logged.
    void clearJobTable();

    // The log exactly as appended: every line ended by CR LF (the widget itself keeps LF).
    QString logText() const;

    // DataFileList's directory; writing it (even with the same value) relists at once.
    std::string dataFileListDirectory() const { return listDirectory_; }
    void setDataFileListDirectory(const std::string& directory);
    // The chosen entry's name (no directory), "" when none.
    std::string chosenFile() const;

    // Runs a job unless one is running already (then false). Disables the job controls around it
    // and clears the stop request first.
    bool runJob(JobKind kind, const std::function<void()>& job);
    bool jobRunning() const { return jobRunning_; }
    // The stop button: the running job ends at its next check; a pause ends at once.
    void requestStop();

    JobTable& jobTable() { return table_; }
    const std::string& searchHost() const { return searchHost_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void placeControls();
    void onDataFileSelectionChanged();
    void setJobControlsEnabled(bool enabled, bool stoppable);
    void finishClosing();

    std::string runDirectory_;
    std::string searchHost_;
    std::string dataDirectory_;
    std::string listDirectory_;
    QString chosenName_;

    JobTable table_;
    std::unique_ptr<JobTableModel> model_;  // declared after table_: stops listening before it goes
    FileDialog fileDialog_;

    QLineEdit* keywordBox_ = nullptr;
    QPushButton* crawlListButton_ = nullptr;
    QPushButton* crawlDetailsButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* clearListButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cleanButton_ = nullptr;
    QPushButton* exportCsvButton_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    QPlainTextEdit* logBox_ = nullptr;
    QListWidget* dataFileList_ = nullptr;
    QTableView* tableView_ = nullptr;
    QProgressBar* progressBar_ = nullptr;

    bool jobRunning_ = false;
    bool stopRequested_ = false;
    bool closePending_ = false;
    std::vector<QEventLoop*> pauses_;
};
