// The data jobs through the real window: choose a data file in the list, clean, save under a
// typed name, export to a path chosen in the save dialog.

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_helpers.h"
#include "data/csv_export.h"
#include "data/data_file.h"
#include "tests/support/fake_host.h"
#include "text/gbk_codec.h"

namespace {

std::string readAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::string();
    return file.readAll().toStdString();
}

std::string cell(MainWindow& window, int row, int column)
{
    return text::toUtf8(window.jobTable().cellText(row, column));
}

// Three crawled rows; the second has a daily wage, which cleaning deletes.
std::string rawDataFile()
{
    JobTable table;
    const std::vector<std::vector<const char*>> rows = {
        {"03-15", "6-8千/月", "济南软件有限公司", "", "", "招2人", "本科", "济南-历下区", "https://a/1.html",
         "https://a/c1.html", "Java开发工程师（济南）", "计算机软件/硬件", "3-4年经验"},
        {"03-15", "150元/天", "青岛公司", "50-150", "国企", "招1人", "大专", "青岛", "https://a/2.html",
         "https://a/c2.html", "销售代表", "", "无工作经验"},
        {"03-16", "10-20万/年", "烟台公司", "150-500", "民营公司", "招3人", "硕士", "烟台-芝罘区",
         "https://a/3.html", "=1+1", "测试,工程师", "", "5-7年经验"},
    };
    for (const auto& cells : rows) {
        const int row = table.insertRow();
        for (std::size_t c = 0; c < cells.size(); ++c) table.setCellText(row, static_cast<int>(c), gbk(cells[c]));
    }
    return serializeJobTable(table);
}

TEST(DataFlowTest, LoadCleanSaveAndExportThroughTheWindow)
{
    ScratchDir scratch;
    MainWindow window(scratch.path("run"));
    window.show();
    const std::string dataDir = window.dataDirectory();
    scratch.writeFile("run/data/raw.txt", rawDataFile());
    ASSERT_EQ(dataDir, scratch.path("run/data"));

    // The new file shows after a refresh; choosing it loads it.
    QTest::mouseClick(control<QPushButton>(window, "RefreshButton"), Qt::LeftButton);
    auto* list = control<QListWidget>(window, "DataFileList");
    const QList<QListWidgetItem*> found = list->findItems("raw.txt", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(found.first()).center());
    ASSERT_EQ(window.jobTable().rowCount(), 3);
    EXPECT_EQ(cell(window, 1, JobColumn::salary), "150元/天");

    // Cleaning rewrites the cells, deletes the daily wage and logs the rows left.
    QTest::mouseClick(control<QPushButton>(window, "CleanButton"), Qt::LeftButton);
    EXPECT_FALSE(window.jobRunning());
    ASSERT_EQ(window.jobTable().rowCount(), 2);
    EXPECT_EQ(window.logText(), QString::fromUtf8("数据清洗后剩余条数：2\r\n"));
    EXPECT_EQ(cell(window, 0, JobColumn::salary), "7000");
    EXPECT_EQ(cell(window, 0, JobColumn::companySize), "少于50人");
    EXPECT_EQ(cell(window, 0, JobColumn::companyType), "民营公司");
    EXPECT_EQ(cell(window, 0, JobColumn::headcount), "2");
    EXPECT_EQ(cell(window, 0, JobColumn::workCity), "济南");
    EXPECT_EQ(cell(window, 0, JobColumn::jobTitle), "Java开发工程师");
    EXPECT_EQ(cell(window, 0, JobColumn::industry), "计算机软件");
    EXPECT_EQ(cell(window, 0, JobColumn::experience), "3.5");
    EXPECT_EQ(cell(window, 1, JobColumn::salary), "12500");
    EXPECT_EQ(cell(window, 1, JobColumn::industry), "计算机软件");
    EXPECT_EQ(cell(window, 1, JobColumn::experience), "6");

    // Saving asks for the name, writes <name>.txt in the data directory and says so.
    QString shownMessage;
    answerNextModal<QInputDialog>([&shownMessage](QInputDialog* box) {
        EXPECT_EQ(box->labelText(), QString::fromUtf8("请输入文件名"));
        box->setTextValue(QString::fromUtf8("清洗后"));
        answerNextModal<QMessageBox>([&shownMessage](QMessageBox* message) {
            shownMessage = message->text();
            message->button(QMessageBox::Ok)->click();
        });
        box->accept();
    });
    QTest::mouseClick(control<QPushButton>(window, "SaveButton"), Qt::LeftButton);
    EXPECT_FALSE(window.jobRunning());
    EXPECT_EQ(shownMessage, QString::fromUtf8("保存成功"));
    const std::string saved = readAll(dataDir + "/清洗后.txt");
    EXPECT_EQ(saved, serializeJobTable(window.jobTable()));
    EXPECT_NE(saved.find(gbk("少于50人")), std::string::npos);

    // Exporting asks for a path in the save dialog and writes the CSV text there, silently.
    const QString csvPath = QString::fromStdString(scratch.path("export/jobs"));
    scratch.makeDir("export");
    answerNextModal<QFileDialog>([csvPath](QFileDialog* box) {
        EXPECT_EQ(box->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(box->defaultSuffix(), "csv");
        box->selectFile(csvPath);
        static_cast<QDialog*>(box)->accept();
    });
    QTest::mouseClick(control<QPushButton>(window, "ExportCsvButton"), Qt::LeftButton);
    EXPECT_FALSE(window.jobRunning());
    const std::string csv = readAll(scratch.path("export/jobs.csv"));
    EXPECT_EQ(csv, buildCsvText(window.jobTable()));
    EXPECT_NE(text::toUtf8(csv).find(",'=1+1,\"测试,工程师\",计算机软件,6"), std::string::npos) << text::toUtf8(csv);
    EXPECT_EQ(window.logText(), QString::fromUtf8("数据清洗后剩余条数：2\r\n"));

    // The saved file loads back as the table it was saved from.
    QTest::mouseClick(control<QPushButton>(window, "RefreshButton"), Qt::LeftButton);
    const QList<QListWidgetItem*> savedEntry = list->findItems(QString::fromUtf8("清洗后.txt"), Qt::MatchExactly);
    ASSERT_EQ(savedEntry.size(), 1);
    window.clearJobTable();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(savedEntry.first()).center());
    EXPECT_EQ(serializeJobTable(window.jobTable()), saved);
}

}  // namespace
