// JobTableModel over JobTable: what the view sees after every kind of change, checked by Qt's
// own model tester and by reading the cells back.

#include <memory>
#include <string>
#include <vector>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

#include "app/job_table_model.h"
#include "app_test_helpers.h"
#include "tests/support/fake_host.h"

namespace {

std::vector<std::string_view> rowCells(const std::string& first)
{
    static std::vector<std::string> storage;
    storage = {first, gbk("1-1.5万/月"), gbk("青岛某某科技有限公司"), "", "", "", "", gbk("青岛"),
               "https://jobs.51job.com/qingdao/1.html"};
    return std::vector<std::string_view>(storage.begin(), storage.end());
}

class JobTableModelTest : public testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<JobTableModel>(table);
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
        view.setModel(model.get());
        view.resize(600, 300);
        view.show();
    }
    void TearDown() override
    {
        // Let the view repaint what it was told, then demand a clean report from the tester.
        QCoreApplication::processEvents();
        view.grab();
        EXPECT_TRUE(collector.warnings.isEmpty()) << collector.warnings.join('\n').toStdString();
        view.setModel(nullptr);
    }

    QString shown(int row, int column) const { return model->index(row, column).data().toString(); }
    void append(const char* first) { table.appendRow(rowCells(first)); }
    // Column 0 of every row as the view sees it.
    QStringList firstColumn() const
    {
        QStringList cells;
        for (int r = 0; r < model->rowCount(); ++r) cells << shown(r, 0);
        return cells;
    }

    WarningCollector collector;
    JobTable table;
    std::unique_ptr<JobTableModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QTableView view;
};

TEST_F(JobTableModelTest, HeaderTitlesAndCellsAreConvertedFromGbk)
{
    const char* titles[] = {"发布时间 0", "薪资 1",     "公司名称 2",  "公司规模 3",  "公司类型 4",
                            "招聘人数 5", "学历要求 6", "工作城市 7",  "页面url 8",   "公司url 9",
                            "职位名称 10", "公司行业 11", "工作经验 12"};
    ASSERT_EQ(model->columnCount(), 13);
    for (int c = 0; c < 13; ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c])) << c;
        EXPECT_EQ(model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                  Qt::AlignLeft);
    }
    append("06-01");
    EXPECT_EQ(shown(0, 2), QString::fromUtf8("青岛某某科技有限公司"));
    EXPECT_EQ(shown(0, 8), QStringLiteral("https://jobs.51job.com/qingdao/1.html"));
    EXPECT_EQ(shown(0, 12), QString());
    EXPECT_EQ(model->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
    // Bytes that are not GBK still show, as replacement characters.
    table.setCellText(0, 3, std::string("\x81", 1));
    EXPECT_EQ(shown(0, 3), QString(QChar(0xFFFD)));
}

TEST_F(JobTableModelTest, SingleAppendsAndCellChangesReachTheView)
{
    QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    append("a");
    const int row = table.insertRow();
    table.setCellText(row, 0, "b");
    table.setCellText(row, 5, gbk("若干"));
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(firstColumn(), QStringList({"a", "b"}));
    EXPECT_EQ(shown(1, 5), QString::fromUtf8("若干"));
    // A missing row or column changes nothing and tells nothing.
    table.setCellText(7, 0, "x");
    table.setCellText(0, 13, "x");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(JobTableModelTest, DeletingRowsMovesLaterRowsUp)
{
    for (const char* name : {"r0", "r1", "r2", "r3", "r4"}) append(name);
    table.deleteRow(1);
    EXPECT_EQ(firstColumn(), QStringList({"r0", "r2", "r3", "r4"}));
    table.deleteRow(3);
    table.deleteRow(9);
    EXPECT_EQ(firstColumn(), QStringList({"r0", "r2", "r3"}));
    table.deleteRows({0, 1, 0});
    EXPECT_EQ(firstColumn(), QStringList({"r0", "r3"}));
    append("r5");
    table.deleteRows({1, 0, 1});
    EXPECT_EQ(firstColumn(), QStringList({"r3"}));
    table.deleteAllRows();
    EXPECT_EQ(model->rowCount(), 0);
    table.deleteAllRows();
    EXPECT_EQ(model->rowCount(), 0);
}

TEST_F(JobTableModelTest, BatchesTellTheViewOnceAtTheirEnd)
{
    append("old0");
    append("old1");
    QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    {
        JobTable::Batch batch(table);
        for (int i = 0; i < 100; ++i) append(std::to_string(i).c_str());
        table.setCellText(1, 0, "changed");
        table.setCellText(50, 0, "fifty");
        {
            JobTable::Batch inner(table);
            append("last");
        }
        EXPECT_EQ(inserted.count(), 0);
        EXPECT_EQ(model->rowCount(), 2);
    }
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(model->rowCount(), 103);
    EXPECT_EQ(shown(1, 0), "changed");
    EXPECT_EQ(shown(50, 0), "fifty");
    EXPECT_EQ(shown(102, 0), "last");
}

TEST_F(JobTableModelTest, ABatchWithDeletionsShowsEmptyRowsUntilItEnds)
{
    for (const char* name : {"r0", "r1", "r2", "r3"}) append(name);
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    {
        JobTable::Batch batch(table);
        table.deleteRow(0);
        table.deleteRow(0);
        table.deleteRow(0);
        // The view still counts four rows and may repaint now.
        ASSERT_EQ(model->rowCount(), 4);
        EXPECT_EQ(shown(3, 0), QString());
        view.grab();
        append("r4");
    }
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(firstColumn(), QStringList({"r3", "r4"}));
}

TEST_F(JobTableModelTest, ReplacingEveryRowLikeLoadingAFile)
{
    for (const char* name : {"a", "b", "c"}) append(name);
    {
        JobTable::Batch batch(table);
        table.deleteAllRows();
        for (const char* name : {"x", "y"}) {
            const int row = table.insertRow();
            table.setCellText(row, 0, name);
        }
    }
    EXPECT_EQ(firstColumn(), QStringList({"x", "y"}));
}

TEST(JobTableModelLifetime, StopsListeningWhenDestroyed)
{
    JobTable table;
    {
        JobTableModel model(table);
        table.insertRow();
        EXPECT_EQ(model.rowCount(), 1);
    }
    table.insertRow();  // would reach a destroyed model if it still listened
    table.deleteAllRows();
    EXPECT_EQ(table.rowCount(), 0);
    // A model made over a filled table shows its rows at once.
    table.insertRow();
    JobTableModel late(table);
    EXPECT_EQ(late.rowCount(), 1);
}

}  // namespace
