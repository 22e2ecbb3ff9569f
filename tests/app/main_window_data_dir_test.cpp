// The data directory at start-up, the file list, refreshing it and choosing an entry.

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "app/data_directory.h"
#include "app/main_window.h"
#include "app_test_helpers.h"
#include "tests/support/fake_host.h"

namespace {

bool isDirectory(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).isDir();
}

// One saved row whose first cell is the given text.
std::string dataFileRow(const std::string& first)
{
    std::string row = first + "<?nr.#p>";
    for (int c = 1; c < 13; ++c) row += "<?nr.#p>";
    return row + "<?h.#p>";
}

void clickEntry(QListWidget* list, const QString& name)
{
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(found.first()).center());
}

TEST(DataDirectory, StartUpCreatesAMissingDataDirectoryWithItsParents)
{
    ScratchDir scratch;
    const std::string run = scratch.path("not/yet/there");
    MainWindow window(run);
    EXPECT_EQ(window.runDirectory(), run);
    EXPECT_EQ(window.dataDirectory(), run + "/data");
    EXPECT_TRUE(isDirectory(run + "/data"));
    EXPECT_EQ(window.dataFileListDirectory(), run + "/data");
    EXPECT_EQ(control<QListWidget>(window, "DataFileList")->count(), 0);
}

TEST(DataDirectory, StartUpListsPlainFilesSortedAndLeavesTheTableEmpty)
{
    ScratchDir scratch;
    scratch.writeFile("run/data/b.txt", dataFileRow("b"));
    scratch.writeFile("run/data/a.txt", dataFileRow("a"));
    scratch.writeFile("run/data/中文.txt", "");
    scratch.writeFile("run/data/notes", "");
    scratch.writeFile("run/data/.hidden", "");
    scratch.makeDir("run/data/folder");
    scratch.writeFile("run/data/folder/inner.txt", "");
    MainWindow window(scratch.path("run"));
    auto* list = control<QListWidget>(window, "DataFileList");
    EXPECT_EQ(entries(*list), QStringList({"a.txt", "b.txt", "notes", QString::fromUtf8("中文.txt")}));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(window.chosenFile(), "");
    EXPECT_EQ(window.jobTable().rowCount(), 0);
}

TEST(DataDirectory, EnsureDirectoryAcceptsATrailingSlashAndFailsSilently)
{
    ScratchDir scratch;
    EXPECT_TRUE(ensureDirectory(scratch.path("x/y/")));
    EXPECT_TRUE(isDirectory(scratch.path("x/y")));
    EXPECT_TRUE(ensureDirectory(scratch.path("x/y")));
    scratch.writeFile("file", "");
    EXPECT_FALSE(ensureDirectory(scratch.path("file/sub")));
    EXPECT_FALSE(ensureDirectory(scratch.path("file")));
    EXPECT_FALSE(ensureDirectory(""));
}

// A run directory where "data" can be neither found nor made falls back to the user's data
// location. (Permission bits do not stop root, so the cases block the path with a file.)
struct UnusableRun {
    const char* name;
    const char* file;  // a regular file standing in the way
    const char* run;
};
// Test listings name a case by its name.
void PrintTo(const UnusableRun& c, std::ostream* os) { *os << c.name; }

class DataDirectoryFallback : public testing::TestWithParam<UnusableRun> {};

TEST_P(DataDirectoryFallback, UsesTheUserDataLocation)
{
    ScratchDir scratch;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(scratch.path("xdg")));
    scratch.writeFile(GetParam().file, "");
    const std::string run = scratch.path(GetParam().run);
    scratch.writeFile("xdg/" + QCoreApplication::applicationName().toStdString() + "/data/kept.txt", "");

    MainWindow window(run);
    const std::string expected =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString() + "/data";
    EXPECT_EQ(expected.rfind(scratch.path("xdg"), 0), 0u) << expected;
    EXPECT_EQ(window.dataDirectory(), expected);
    EXPECT_TRUE(isDirectory(expected));
    EXPECT_EQ(window.dataFileListDirectory(), expected);
    EXPECT_EQ(entries(*control<QListWidget>(window, "DataFileList")), QStringList({"kept.txt"}));
    EXPECT_EQ(window.runDirectory(), run);
    qunsetenv("XDG_DATA_HOME");
}

INSTANTIATE_TEST_SUITE_P(Cases, DataDirectoryFallback,
                         testing::Values(UnusableRun{"RunBelowAFile", "blocker", "blocker/run"},
                                         UnusableRun{"DataIsAFile", "run/data", "run"}),
                         [](const testing::TestParamInfo<UnusableRun>& info) { return info.param.name; });

TEST(DataFileList, RefreshShowsNewFilesKeepsTheChoiceAndLoadsNothing)
{
    ScratchDir scratch;
    scratch.writeFile("run/data/b.txt", dataFileRow("from b"));
    MainWindow window(scratch.path("run"));
    window.show();
    auto* list = control<QListWidget>(window, "DataFileList");

    clickEntry(list, "b.txt");
    EXPECT_EQ(window.chosenFile(), "b.txt");
    ASSERT_EQ(window.jobTable().rowCount(), 1);
    EXPECT_EQ(window.jobTable().cellText(0, 0), "from b");

    window.clearJobTable();
    scratch.writeFile("run/data/a.txt", dataFileRow("from a"));
    scratch.writeFile("run/data/c.txt", dataFileRow("from c"));
    QTest::mouseClick(control<QWidget>(window, "RefreshButton"), Qt::LeftButton);
    EXPECT_EQ(entries(*list), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(window.chosenFile(), "b.txt");
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().first()->text(), "b.txt");
    EXPECT_EQ(window.jobTable().rowCount(), 0);

    // Writing the list's directory relists too, again without a selection event.
    window.setDataFileListDirectory(window.dataFileListDirectory());
    EXPECT_EQ(window.chosenFile(), "b.txt");
    EXPECT_EQ(window.jobTable().rowCount(), 0);

    // The user's next choice loads that file.
    clickEntry(list, "c.txt");
    ASSERT_EQ(window.jobTable().rowCount(), 1);
    EXPECT_EQ(window.jobTable().cellText(0, 0), "from c");
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(window.chosenFile(), "b.txt");
    EXPECT_EQ(window.jobTable().cellText(0, 0), "from b");
}

TEST(DataFileList, AChosenFileThatDisappearsIsNoLongerChosen)
{
    ScratchDir scratch;
    scratch.writeFile("run/data/a.txt", dataFileRow("a"));
    scratch.writeFile("run/data/b.txt", dataFileRow("b"));
    MainWindow window(scratch.path("run"));
    window.show();
    auto* list = control<QListWidget>(window, "DataFileList");
    clickEntry(list, "a.txt");
    ASSERT_TRUE(QFile::remove(QString::fromStdString(scratch.path("run/data/a.txt"))));
    window.refreshDataFileList();
    EXPECT_EQ(entries(*list), QStringList({"b.txt"}));
    EXPECT_EQ(window.chosenFile(), "");
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(window.jobTable().cellText(0, 0), "a");
}

TEST(ClearList, DeletesEveryRowAndLogsNothing)
{
    ScratchDir scratch;
    MainWindow window(scratch.path("run"));
    window.show();
    for (int i = 0; i < 3; ++i) window.jobTable().appendRow({"x", gbk("青岛")});
    auto* view = control<QTableView>(window, "JobTable");
    EXPECT_EQ(view->model()->rowCount(), 3);
    QTest::mouseClick(control<QWidget>(window, "ClearListButton"), Qt::LeftButton);
    EXPECT_EQ(window.jobTable().rowCount(), 0);
    EXPECT_EQ(view->model()->rowCount(), 0);
    QTest::mouseClick(control<QWidget>(window, "ClearListButton"), Qt::LeftButton);
    EXPECT_EQ(window.jobTable().rowCount(), 0);
    EXPECT_EQ(window.logText(), QString());
}

}  // namespace
