// Jobs in the window: one at a time with the job controls disabled, the stop button, pauses that
// keep the window alive, and closing the window while a job runs.

#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_helpers.h"

namespace {

const char* const kJobControls[] = {"CrawlListButton", "CrawlDetailsButton", "ClearListButton", "SaveButton",
                                    "CleanButton",     "ExportCsvButton",    "RefreshButton",   "DataFileList"};

constexpr int kLongPauseMs = 60000;

class MainWindowJobsTest : public testing::Test {
protected:
    void expectJobControlsEnabled(bool enabled)
    {
        for (const char* name : kJobControls) EXPECT_EQ(control<QWidget>(window, name)->isEnabled(), enabled) << name;
    }
    bool stopEnabled() { return control<QWidget>(window, "StopButton")->isEnabled(); }

    ScratchDir scratch;
    MainWindow window{scratch.path("run")};
};

struct GuardCase {
    const char* name;
    MainWindow::JobKind kind;
    bool stoppable;
};
// Test listings name a case by its name.
void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }

class JobGuard : public MainWindowJobsTest, public testing::WithParamInterface<GuardCase> {};

TEST_P(JobGuard, ControlsAreDisabledWhileAJobRunsAndEnabledAfter)
{
    window.show();
    bool ran = false;
    bool nestedRan = false;
    const bool started = window.runJob(GetParam().kind, [&] {
        ran = true;
        EXPECT_TRUE(window.jobRunning());
        expectJobControlsEnabled(false);
        EXPECT_EQ(stopEnabled(), GetParam().stoppable);
        // The window keeps working while the job pumps its events...
        window.resize(1300, 800);
        window.processPendingMessages();
        EXPECT_EQ(window.width(), 1300);
        // ...but no second job starts inside it, whether asked directly or by a click.
        EXPECT_FALSE(window.runJob(MainWindow::JobKind::other, [&] { nestedRan = true; }));
        window.jobTable().insertRow();
        QTest::mouseClick(control<QWidget>(window, "ClearListButton"), Qt::LeftButton);
        EXPECT_EQ(window.jobTable().rowCount(), 1);
    });
    EXPECT_TRUE(started);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(nestedRan);
    EXPECT_FALSE(window.jobRunning());
    expectJobControlsEnabled(true);
    EXPECT_FALSE(stopEnabled());
}

INSTANTIATE_TEST_SUITE_P(Kinds, JobGuard,
                         testing::Values(GuardCase{"Crawl", MainWindow::JobKind::crawl, true},
                                         GuardCase{"Other", MainWindow::JobKind::other, false}),
                         [](const testing::TestParamInfo<GuardCase>& info) { return info.param.name; });

TEST_F(MainWindowJobsTest, StopButtonEndsAPauseAndTheNextJobStartsAfresh)
{
    window.show();
    qint64 paused = -1;
    bool stopSeen = false;
    window.runJob(MainWindow::JobKind::crawl, [&] {
        EXPECT_FALSE(window.stopRequested());
        QTimer::singleShot(0, &window, [&] { QTest::mouseClick(control<QWidget>(window, "StopButton"), Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        window.delayProcessingMessages(kLongPauseMs);
        paused = clock.elapsed();
        stopSeen = window.stopRequested();
        // Once stopped, pauses do not wait at all.
        window.delayProcessingMessages(kLongPauseMs);
    });
    EXPECT_TRUE(stopSeen);
    EXPECT_GE(paused, 0);
    EXPECT_LT(paused, kLongPauseMs);
    window.runJob(MainWindow::JobKind::other, [&] { EXPECT_FALSE(window.stopRequested()); });
}

TEST_F(MainWindowJobsTest, ProgressShowsDuringAJobOnlyAndStartsAtZero)
{
    window.show();
    auto* bar = control<QProgressBar>(window, "ProgressBar");
    EXPECT_FALSE(bar->isVisible());
    window.runJob(MainWindow::JobKind::crawl, [&] {
        window.reportProgress(2, 5);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->value(), 2);
        EXPECT_EQ(bar->maximum(), 5);
    });
    EXPECT_FALSE(bar->isVisible());
    window.runJob(MainWindow::JobKind::other, [&] {
        EXPECT_FALSE(bar->isVisible());
        // No total: still a plain bar (a range of 0 to 0 would make Qt show a busy bar).
        window.reportProgress(0, 0);
        EXPECT_EQ(bar->value(), 0);
        EXPECT_GT(bar->maximum(), 0);
    });
}

TEST_F(MainWindowJobsTest, APauseWaitsAtLeastItsTimeAndDispatchesEvents)
{
    bool dispatched = false;
    QTimer::singleShot(0, &window, [&] { dispatched = true; });
    QElapsedTimer clock;
    clock.start();
    window.delayProcessingMessages(30);
    EXPECT_GE(clock.elapsed(), 30);
    EXPECT_TRUE(dispatched);
    clock.restart();
    window.delayProcessingMessages(0);
    window.delayProcessingMessages(-5);
    EXPECT_LT(clock.elapsed(), kLongPauseMs);
}

TEST_F(MainWindowJobsTest, ClosingDuringAJobStopsItAndEndsTheProgramAfterIt)
{
    window.show();
    bool stopSeen = false;
    bool visibleAfterClose = true;
    bool jobReturned = false;
    int dialogResult = -1;
    QTimer::singleShot(0, &window, [&] {
        window.runJob(MainWindow::JobKind::crawl, [&] {
            QTimer::singleShot(0, &window, [&] { window.close(); });
            window.delayProcessingMessages(kLongPauseMs);
            stopSeen = window.stopRequested();
            visibleAfterClose = window.isVisible();
            // The job may still ask for a dialog on its way out: nothing waits for an answer.
            Text typed;
            dialogResult = window.inputBox("name", typed) ? 1 : 0;
            jobReturned = true;
        });
    });
    EXPECT_EQ(execWithSafetyNet(kLongPauseMs / 2), 0);
    EXPECT_TRUE(stopSeen);
    EXPECT_FALSE(visibleAfterClose);
    EXPECT_TRUE(jobReturned);
    EXPECT_EQ(dialogResult, 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.jobRunning());
}

TEST_F(MainWindowJobsTest, ClosingWithoutAJobClosesAtOnce)
{
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
