// Both crawls through the real window, against the local job site: type a keyword, click, and
// read the table and the log. The window's pause after a result page is real (3 s).

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_helpers.h"
#include "tests/crawler/local_site.h"
#include "text/gbk_codec.h"

namespace {

QString utf8(const char* s)
{
    return QString::fromUtf8(s);
}

std::string cell(MainWindow& window, int row, int column)
{
    return text::toUtf8(window.jobTable().cellText(row, column));
}

// The real window, shown, with the local site as its search host.
class CrawlFlowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.running());
        window.show();
    }

    LocalSite site;
    ScratchDir scratch;
    MainWindow window{scratch.path("run"), site.hostPort()};
};

TEST_F(CrawlFlowTest, ListThenDetailsFillTheTableAndTheLog)
{
    // Qt's model checker watches the view's model through both crawls and the clearing.
    WarningCollector collector;
    QAbstractItemModelTester tester(control<QTableView>(window, "JobTable")->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);

    // Any keyword without a scenario of its own gets the site's one-page result.
    auto* keywordBox = control<QLineEdit>(window, "KeywordBox");
    keywordBox->clear();
    keywordBox->setFocus();
    // Chinese arrives through the input method, the rest as keys.
    QInputMethodEvent composed;
    composed.setCommitString(utf8("软件"));
    QApplication::sendEvent(keywordBox, &composed);
    QTest::keyClicks(keywordBox, " test");
    ASSERT_EQ(keywordBox->text(), utf8("软件 test"));

    QTest::mouseClick(control<QPushButton>(window, "CrawlListButton"), Qt::LeftButton);
    EXPECT_FALSE(window.jobRunning());
    ASSERT_EQ(window.jobTable().rowCount(), 1);
    EXPECT_EQ(cell(window, 0, JobColumn::jobTitle), "软件工程师");
    EXPECT_EQ(cell(window, 0, JobColumn::companyName), "济南软件有限公司");
    EXPECT_EQ(cell(window, 0, JobColumn::pageUrl), site.url("/job/full.html"));
    EXPECT_EQ(cell(window, 0, JobColumn::salary), "0.8-1万/月");
    EXPECT_EQ(cell(window, 0, JobColumn::education), "");
    const QString listLog = utf8("该关键词在山东省可爬取：1页\r\n第1页 数据：1 合计：1\r\n开始爬取：第1页 剩余：0秒\r\n");
    EXPECT_EQ(window.logText(), listLog);
    const std::vector<std::string> requests = site.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].find(",99,软件 test,2,1.html?lang=c&"), std::string::npos) << requests[0];
    EXPECT_EQ(requests[1], requests[0]);

    QTest::mouseClick(control<QPushButton>(window, "CrawlDetailsButton"), Qt::LeftButton);
    EXPECT_FALSE(window.jobRunning());
    EXPECT_EQ(cell(window, 0, JobColumn::companySize), "150-500");
    EXPECT_EQ(cell(window, 0, JobColumn::companyType), "民营公司");
    EXPECT_EQ(cell(window, 0, JobColumn::industry), "计算机软件");
    EXPECT_EQ(cell(window, 0, JobColumn::headcount), "招2人");
    EXPECT_EQ(cell(window, 0, JobColumn::education), "大专 以上");
    EXPECT_EQ(cell(window, 0, JobColumn::experience), "3-4年经验");
    EXPECT_EQ(window.logText(), listLog + utf8("正在爬取：1条详情\r\n"));
    EXPECT_EQ(site.requests().size(), 3u);

    QTest::mouseClick(control<QPushButton>(window, "ClearListButton"), Qt::LeftButton);
    EXPECT_EQ(window.jobTable().rowCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(collector.warnings.isEmpty()) << collector.warnings.join('\n').toStdString();
}

TEST_F(CrawlFlowTest, ClosingDuringARequestAbandonsItAndEndsTheProgram)
{
    // The site holds this posting page for seconds before it answers.
    const int row = window.jobTable().insertRow();
    window.jobTable().setCellText(row, JobColumn::pageUrl, site.url("/slow/full.html"));
    window.jobTable().setCellText(row, JobColumn::companySize, "stale");

    // Close the window once the site has the request, as the user would.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (site.requests().empty()) return;
        poll.stop();
        window.close();
    });
    poll.start(10);
    QTimer::singleShot(0, &window, [&] {
        QTest::mouseClick(control<QPushButton>(window, "CrawlDetailsButton"), Qt::LeftButton);
    });
    EXPECT_EQ(execWithSafetyNet(30000), 0);

    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.jobRunning());
    // The abandoned row keeps what it held; the crawl's last line says it stopped.
    EXPECT_EQ(cell(window, row, JobColumn::companySize), "stale");
    EXPECT_EQ(window.logText(), utf8("已停止\r\n"));
    EXPECT_EQ(site.requests().size(), 1u);
}

}  // namespace
