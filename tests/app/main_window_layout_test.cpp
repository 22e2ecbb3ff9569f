// The window's controls: kind, text, place and size, the column titles, the keyword font, the
// log, and how the controls follow a resize.

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_helpers.h"
#include "tests/support/fake_host.h"

namespace {

struct Place {
    const char* name;
    const char* text;  // nullptr: a control without a text of its own
    QRect rect;
};

const Place kPlaces[] = {
    {"KeywordBox", "java", QRect(8, 8, 112, 32)},
    {"CrawlListButton", "爬取列表", QRect(128, 8, 136, 32)},
    {"CrawlDetailsButton", "爬取详情", QRect(272, 8, 136, 32)},
    {"StopButton", "停止", QRect(416, 8, 88, 32)},
    {"ClearListButton", "清空列表", QRect(512, 8, 80, 32)},
    {"SaveButton", "保存", QRect(600, 8, 80, 32)},
    {"CleanButton", "数据清洗", QRect(688, 8, 80, 32)},
    {"ExportCsvButton", "导出CSV", QRect(776, 9, 80, 32)},
    {"LogBox", "", QRect(8, 48, 176, 272)},
    {"DataFileList", nullptr, QRect(8, 320, 176, 432)},
    {"JobTable", nullptr, QRect(192, 48, 1048, 704)},
    {"RefreshButton", "刷新", QRect(96, 712, 80, 32)},
};

QString textOf(QWidget* w)
{
    if (auto* button = qobject_cast<QPushButton*>(w)) return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* log = qobject_cast<QPlainTextEdit*>(w)) return log->toPlainText();
    return QString();
}

class MainWindowLayoutTest : public testing::Test {
protected:
    ScratchDir scratch;
    MainWindow window{scratch.path("run")};
};

TEST_F(MainWindowLayoutTest, EveryControlHasItsTextPlaceAndSize)
{
    window.show();
    EXPECT_EQ(window.geometry(), QRect(50, 50, 1252, 780));
    // No title text; an empty title would make Qt show the program's name instead.
    EXPECT_TRUE(window.windowTitle().trimmed().isEmpty());
    EXPECT_FALSE(window.windowTitle().isEmpty());
    for (const Place& place : kPlaces) {
        SCOPED_TRACE(place.name);
        QWidget* w = control<QWidget>(window, place.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), place.rect);
        EXPECT_TRUE(w->isVisible());
        if (place.text) {
            EXPECT_EQ(textOf(w), QString::fromUtf8(place.text));
        }
    }
    EXPECT_NE(control<QLineEdit>(window, "KeywordBox"), nullptr);
    EXPECT_NE(control<QPlainTextEdit>(window, "LogBox"), nullptr);
    EXPECT_NE(control<QListWidget>(window, "DataFileList"), nullptr);
    EXPECT_NE(control<QTableView>(window, "JobTable"), nullptr);
    // Only the stop button waits for a crawl; the progress bar stays out of the controls' way.
    EXPECT_FALSE(control<QPushButton>(window, "StopButton")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(window, "CrawlListButton")->isEnabled());
    auto* progress = control<QProgressBar>(window, "ProgressBar");
    EXPECT_LE(progress->geometry().bottom(), 47);
    EXPECT_GE(progress->geometry().top(), 41);
}

TEST_F(MainWindowLayoutTest, RefreshButtonLiesAboveTheFileList)
{
    QWidget* button = control<QWidget>(window, "RefreshButton");
    QWidget* list = control<QWidget>(window, "DataFileList");
    EXPECT_TRUE(list->geometry().contains(button->geometry()));
    const QObjectList& order = window.children();
    EXPECT_GT(order.indexOf(button), order.indexOf(list));  // later siblings are drawn on top
    window.show();
    EXPECT_EQ(window.childAt(QPoint(130, 728)), button);
}

TEST_F(MainWindowLayoutTest, JobTableHasThirteenLeftAlignedColumnsOf80Pixels)
{
    const char* titles[] = {"发布时间 0", "薪资 1",     "公司名称 2",  "公司规模 3",  "公司类型 4",
                            "招聘人数 5", "学历要求 6", "工作城市 7",  "页面url 8",   "公司url 9",
                            "职位名称 10", "公司行业 11", "工作经验 12"};
    auto* view = control<QTableView>(window, "JobTable");
    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->columnCount(), 13);
    EXPECT_EQ(model->rowCount(), 0);
    for (int c = 0; c < 13; ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c]));
        EXPECT_EQ(view->horizontalHeader()->sectionSize(c), 80) << c;
    }
    EXPECT_EQ(view->horizontalHeader()->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

TEST_F(MainWindowLayoutTest, KeywordBoxUsesACjkFontOf16Pixels)
{
    auto* box = control<QLineEdit>(window, "KeywordBox");
    EXPECT_EQ(box->font().pixelSize(), 16);
    EXPECT_EQ(box->font().weight(), QFont::Normal);
    const QString family = QFontInfo(box->font()).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
        << family.toStdString();
    EXPECT_EQ(window.keyword(), "java");
    box->setText(QString::fromUtf8("软件"));
    EXPECT_EQ(window.keyword(), gbk("软件"));
}

TEST_F(MainWindowLayoutTest, AppendLogEndsEveryLineWithCrLf)
{
    window.appendLog("A");
    window.appendLog("B");
    EXPECT_EQ(window.logText(), QStringLiteral("A\r\nB\r\n"));
    window.appendLog(gbk("共10页"));
    window.appendLog("");
    EXPECT_EQ(window.logText(), QString::fromUtf8("A\r\nB\r\n共10页\r\n\r\n"));
    // The box shows one line per call.
    EXPECT_EQ(control<QPlainTextEdit>(window, "LogBox")->toPlainText(), QString::fromUtf8("A\nB\n共10页\n\n"));
}

TEST_F(MainWindowLayoutTest, TheLogFollowsItsLastLine)
{
    window.show();
    auto* log = control<QPlainTextEdit>(window, "LogBox");
    for (int i = 0; i < 200; ++i) window.appendLog("line " + std::to_string(i));
    QCoreApplication::processEvents();
    const QRect last = log->cursorRect(QTextCursor(log->document()->lastBlock()));
    EXPECT_TRUE(log->viewport()->rect().intersects(last));
    EXPECT_FALSE(log->isReadOnly());
    EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(MainWindowLayoutTest, TheUserCanTypeInTheLogButNotUndoItsLines)
{
    window.show();
    auto* log = control<QPlainTextEdit>(window, "LogBox");
    window.appendLog("A");
    window.appendLog("B");
    log->setFocus();
    log->moveCursor(QTextCursor::End);
    QTest::keyClicks(log, "x");
    EXPECT_EQ(window.logText(), QStringLiteral("A\r\nB\r\nx"));
    for (int i = 0; i < 3; ++i) QTest::keyClick(log, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(window.logText().startsWith(QStringLiteral("A\r\nB\r\n")));
}

TEST_F(MainWindowLayoutTest, GrowingTheWindowGrowsTheTableAndTheList)
{
    window.show();
    window.resize(1452, 880);
    EXPECT_EQ(control<QWidget>(window, "JobTable")->geometry(), QRect(192, 48, 1248, 804));
    EXPECT_EQ(control<QWidget>(window, "DataFileList")->geometry(), QRect(8, 320, 176, 532));
    EXPECT_EQ(control<QWidget>(window, "RefreshButton")->geometry(), QRect(96, 812, 80, 32));
    EXPECT_EQ(control<QWidget>(window, "KeywordBox")->geometry(), QRect(8, 8, 112, 32));
    EXPECT_EQ(control<QWidget>(window, "ExportCsvButton")->geometry(), QRect(776, 9, 80, 32));
    window.resize(1252, 780);
    EXPECT_EQ(control<QWidget>(window, "JobTable")->geometry(), QRect(192, 48, 1048, 704));
    EXPECT_EQ(control<QWidget>(window, "RefreshButton")->geometry(), QRect(96, 712, 80, 32));
}

}  // namespace
