// The job buttons reach their jobs through the window: saving, cleaning, exporting and crawling
// started by clicks, with the window as their Host.

#include <functional>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_helpers.h"
#include "tests/support/fake_host.h"

namespace {

QByteArray fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MainWindowButtonsTest : public testing::Test {
protected:
    void SetUp() override { window.show(); }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(window, name), Qt::LeftButton); }

    ScratchDir scratch;
    // A search host where nothing listens: every request fails at once.
    MainWindow window{scratch.path("run"), "127.0.0.1:1"};
};

TEST_F(MainWindowButtonsTest, SaveAsksForANameWritesIntoTheDataDirectoryAndReports)
{
    window.jobTable().appendRow({"a", gbk("青岛")});
    QString message;
    answerNextModal<QInputDialog>([&message](QInputDialog* input) {
        input->setTextValue("abc");
        // The outcome box follows once the name is confirmed.
        answerNextModal<QMessageBox>([&message](QMessageBox* outcome) {
            message = outcome->text();
            outcome->accept();
        });
        input->accept();
    });
    click("SaveButton");
    EXPECT_EQ(message, QString::fromUtf8("保存成功"));
    EXPECT_EQ(fileBytes(window.dataDirectory() + "/abc.txt").toStdString(),
              "a<?nr.#p>" + gbk("青岛") + "<?nr.#p><?nr.#p><?nr.#p><?nr.#p><?nr.#p><?nr.#p><?nr.#p><?nr.#p>"
                                          "<?nr.#p><?nr.#p><?nr.#p><?nr.#p><?h.#p>");

    // The new file shows after a refresh, and choosing it loads it.
    auto* list = control<QListWidget>(window, "DataFileList");
    EXPECT_EQ(list->count(), 0);
    click("RefreshButton");
    ASSERT_EQ(entries(*list), QStringList({"abc.txt"}));
    window.clearJobTable();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
    ASSERT_EQ(window.jobTable().rowCount(), 1);
    EXPECT_EQ(window.jobTable().cellText(0, 1), gbk("青岛"));
}

TEST_F(MainWindowButtonsTest, CleanLogsTheRowsLeft)
{
    click("CleanButton");
    EXPECT_EQ(window.logText(), QString::fromUtf8("数据清洗后剩余条数：0\r\n"));
}

TEST_F(MainWindowButtonsTest, ExportWritesTheChosenCsvFile)
{
    const QString typed = QString::fromStdString(scratch.path("jobs"));
    answerNextModal<QFileDialog>([typed](QFileDialog* dialog) {
        dialog->selectFile(typed);
        static_cast<QDialog*>(dialog)->accept();
    });
    click("ExportCsvButton");
    EXPECT_EQ(window.fileDialog().fileName, scratch.path("jobs.csv"));
    const QByteArray csv = fileBytes(scratch.path("jobs.csv"));
    EXPECT_TRUE(csv.startsWith(QByteArray::fromStdString(gbk("发布时间 0,薪资 1,"))));
}

TEST_F(MainWindowButtonsTest, CrawlListRunsWithTheStopButtonEnabled)
{
    bool stopEnabled = false;
    bool listEnabled = true;
    // While the crawl pumps events: look at the controls, then stop it.
    QTimer::singleShot(0, &window, [&] {
        stopEnabled = control<QWidget>(window, "StopButton")->isEnabled();
        listEnabled = control<QWidget>(window, "DataFileList")->isEnabled();
        window.requestStop();
    });
    click("CrawlListButton");
    EXPECT_TRUE(stopEnabled);
    EXPECT_FALSE(listEnabled);
    EXPECT_FALSE(window.jobRunning());
    EXPECT_FALSE(control<QWidget>(window, "StopButton")->isEnabled());
    EXPECT_EQ(window.jobTable().rowCount(), 0);
}

}  // namespace
