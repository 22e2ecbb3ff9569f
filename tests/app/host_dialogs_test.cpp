// The modal boxes the jobs use: the input box, the message box and the file dialog.

#include <functional>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/file_dialog_box.h"
#include "app/main_window.h"
#include "app_test_helpers.h"
#include "tests/support/fake_host.h"

namespace {

class HostDialogsTest : public testing::Test {
protected:
    ScratchDir scratch;
    MainWindow window{scratch.path("run")};
};

TEST_F(HostDialogsTest, InputBoxConfirmGivesTheTypedText)
{
    answerNextModal<QInputDialog>([](QInputDialog* box) {
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8("请输入："));
        EXPECT_EQ(box->labelText(), QString::fromUtf8("请输入文件名"));
        EXPECT_EQ(box->textValue(), QString());
        EXPECT_EQ(box->okButtonText(), QString::fromUtf8("确认输入(&O)"));
        EXPECT_EQ(box->cancelButtonText(), QString::fromUtf8("取消(&C)"));
        box->setTextValue(QString::fromUtf8("岗位"));
        box->accept();
    });
    Text typed = "before";
    EXPECT_TRUE(window.inputBox(gbk("请输入文件名"), typed));
    EXPECT_EQ(typed, gbk("岗位"));
}

TEST_F(HostDialogsTest, InputBoxCancelLeavesTheOutputAlone)
{
    answerNextModal<QInputDialog>([](QInputDialog* box) { box->reject(); });
    Text typed = "before";
    EXPECT_FALSE(window.inputBox("x", typed));
    EXPECT_EQ(typed, "before");
}

TEST_F(HostDialogsTest, MessageBoxHasItsCaptionAndOnlyOk)
{
    answerNextModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8("信息："));
        EXPECT_EQ(box->text(), QString::fromUtf8("保存成功"));
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    window.messageBox(gbk("保存成功"));
}

struct FilterCase {
    const char* filter;
    QStringList expected;
};

TEST(QtNameFilters, PairsBecomeQtFilters)
{
    const FilterCase cases[] = {
        {"csv文件 (*.csv)|*.csv", {QString::fromUtf8("csv文件 (*.csv)")}},
        {"Text|*.txt;*.log", {"Text (*.txt *.log)"}},
        {"A|*.a|B (*.b)|*.b", {"A (*.a)", "B (*.b)"}},
        {"All", {"All"}},
        {"", {}},
    };
    for (const FilterCase& c : cases) EXPECT_EQ(qtNameFilters(QString::fromUtf8(c.filter)), c.expected) << c.filter;
}

TEST_F(HostDialogsTest, FileDialogSavesWithTheDefaultExtensionAndRemembersThePath)
{
    FileDialog& settings = window.fileDialog();
    EXPECT_EQ(settings.kind, 1);
    settings.defaultExtension = ".csv";
    settings.filter = gbk("csv文件 (*.csv)|*.csv");
    const QString typed = QString::fromStdString(scratch.path("export"));
    answerNextModal<QFileDialog>([typed](QFileDialog* box) {
        EXPECT_EQ(box->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(box->defaultSuffix(), "csv");
        EXPECT_EQ(box->nameFilters(), QStringList({QString::fromUtf8("csv文件 (*.csv)")}));
        EXPECT_FALSE(box->testOption(QFileDialog::DontConfirmOverwrite));
        box->selectFile(typed);
        static_cast<QDialog*>(box)->accept();
    });
    ASSERT_TRUE(window.openFileDialog());
    EXPECT_EQ(settings.fileName, scratch.path("export.csv"));

    // The next use proposes the path chosen before; cancelling keeps it.
    const QString proposed = QString::fromStdString(settings.fileName);
    answerNextModal<QFileDialog>([proposed](QFileDialog* box) {
        EXPECT_EQ(box->selectedFiles(), QStringList({proposed}));
        box->reject();
    });
    EXPECT_FALSE(window.openFileDialog());
    EXPECT_EQ(settings.fileName, scratch.path("export.csv"));
}

}  // namespace
