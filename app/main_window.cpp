#include "app/main_window.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontDatabase>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "app/data_directory.h"
#include "app/file_dialog_box.h"
#include "app/gbk_qstring.h"
#include "app/job_cell_delegate.h"
#include "app/job_table_model.h"
#include "crawler/detail_crawl.h"
#include "data/csv_export.h"
#include "data/data_cleaning.h"
#include "data/data_file.h"

namespace {

// The window's content area at start, and where it is placed.
constexpr QRect kWindowGeometry(50, 50, 1252, 780);

// Places of the controls at the initial size.
constexpr QRect kKeywordBoxPlace(8, 8, 112, 32);
constexpr QRect kCrawlListButtonPlace(128, 8, 136, 32);
constexpr QRect kCrawlDetailsButtonPlace(272, 8, 136, 32);
constexpr QRect kStopButtonPlace(416, 8, 88, 32);
constexpr QRect kClearListButtonPlace(512, 8, 80, 32);
constexpr QRect kSaveButtonPlace(600, 8, 80, 32);
constexpr QRect kCleanButtonPlace(688, 8, 80, 32);
constexpr QRect kExportCsvButtonPlace(776, 9, 80, 32);
constexpr QRect kLogBoxPlace(8, 48, 176, 272);
constexpr QRect kDataFileListPlace(8, 320, 176, 432);
constexpr QRect kJobTablePlace(192, 48, 1048, 704);
constexpr QRect kRefreshButtonPlace(96, 712, 80, 32);
// A thin bar in the gap between the top row and the table.
constexpr QRect kProgressBarPlace(192, 42, 1048, 4);

constexpr const char* kInitialKeyword = "java";
constexpr int kKeywordFontPixels = 16;
constexpr const char* kKeywordFontFamilies[] = {"微软雅黑", "Microsoft YaHei", "Noto Sans CJK SC",
                                                 "Noto Sans SC", "Source Han Sans SC", "WenQuanYi Micro Hei"};

constexpr int kColumnWidth = 80;

// The window has no title text. Qt hands the window system the program's name in place of an
// empty title, so the title is one blank, which shows as nothing.
constexpr const char* kWindowTitle = " ";

constexpr const char* kInputBoxCaption = "请输入：";
constexpr const char* kInputBoxOk = "确认输入(&O)";
constexpr const char* kInputBoxCancel = "取消(&C)";
constexpr const char* kMessageBoxCaption = "信息：";

QString u8(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QFont keywordFont(const QFont& base)
{
    QFont font(base);
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kKeywordFontFamilies) {
        if (installed.contains(u8(family))) {
            font.setFamily(u8(family));
            break;
        }
    }
    font.setPixelSize(kKeywordFontPixels);
    font.setWeight(QFont::Normal);
    return font;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* text)
{
    auto* button = new QPushButton(u8(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MainWindow::MainWindow(const std::string& runDirectory, const std::string& searchHost, QWidget* parent)
    : QWidget(parent),
      runDirectory_(runDirectory.empty() ? qstringToPath(QCoreApplication::applicationDirPath()) : runDirectory),
      searchHost_(searchHost)
{
    while (runDirectory_.size() > 1 && runDirectory_.back() == '/') runDirectory_.pop_back();
    fileDialog_.kind = 1;

    setWindowTitle(QLatin1String(kWindowTitle));
    createControls();
    setGeometry(kWindowGeometry);
    placeControls();

    // Once the controls exist: choose (and create) the data directory and list it.
    dataDirectory_ = chooseDataDirectory(runDirectory_);
    setDataFileListDirectory(dataDirectory_);
}

MainWindow::~MainWindow()
{
    tableView_->setModel(nullptr);
}

void MainWindow::createControls()
{
    keywordBox_ = new QLineEdit(u8(kInitialKeyword), this);
    keywordBox_->setObjectName(QStringLiteral("KeywordBox"));
    keywordBox_->setFont(keywordFont(font()));

    crawlListButton_ = makeButton(this, "CrawlListButton", "爬取列表");
    crawlDetailsButton_ = makeButton(this, "CrawlDetailsButton", "爬取详情");
    stopButton_ = makeButton(this, "StopButton", "停止");
    stopButton_->setEnabled(false);
    clearListButton_ = makeButton(this, "ClearListButton", "清空列表");
    saveButton_ = makeButton(this, "SaveButton", "保存");
    cleanButton_ = makeButton(this, "CleanButton", "数据清洗");
    exportCsvButton_ = makeButton(this, "ExportCsvButton", "导出CSV");

    logBox_ = new QPlainTextEdit(this);
    logBox_->setObjectName(QStringLiteral("LogBox"));
    logBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    logBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The user may type into the log, but an undo must never take back appended lines (and an
    // undo history would keep a second copy of every line for as long as the window lives).
    logBox_->setUndoRedoEnabled(false);

    dataFileList_ = new QListWidget(this);
    dataFileList_->setObjectName(QStringLiteral("DataFileList"));
    dataFileList_->setSelectionMode(QAbstractItemView::SingleSelection);
    dataFileList_->setUniformItemSizes(true);

    model_ = std::make_unique<JobTableModel>(table_);
    tableView_ = new QTableView(this);
    tableView_->setObjectName(QStringLiteral("JobTable"));
    tableView_->setModel(model_.get());
    tableView_->setItemDelegate(new JobCellDelegate(tableView_));
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setWordWrap(false);
    tableView_->setShowGrid(false);
    tableView_->setCornerButtonEnabled(false);
    QHeaderView* columns = tableView_->horizontalHeader();
    columns->setMinimumSectionSize(16);
    columns->setDefaultSectionSize(kColumnWidth);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    // Every row has the same fixed height, so a million rows cost the view nothing per row.
    QHeaderView* rows = tableView_->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(tableView_->fontMetrics().height() + 6);
    rows->hide();

    // The refresh button sits on the list's lower part, so it must be above the list.
    refreshButton_ = makeButton(this, "RefreshButton", "刷新");
    refreshButton_->raise();

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setTextVisible(false);
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    progressBar_->hide();

    connect(crawlListButton_, &QPushButton::clicked, this,
            [this] { runJob(JobKind::crawl, [this] { crawlList(*this, table_, searchHost_); }); });
    connect(crawlDetailsButton_, &QPushButton::clicked, this,
            [this] { runJob(JobKind::crawl, [this] { crawlDetails(*this, table_); }); });
    connect(stopButton_, &QPushButton::clicked, this, &MainWindow::requestStop);
    connect(clearListButton_, &QPushButton::clicked, this, [this] { runJob(JobKind::other, [this] { clearJobTable(); }); });
    connect(saveButton_, &QPushButton::clicked, this,
            [this] { runJob(JobKind::other, [this] { saveDataFile(*this, table_); }); });
    connect(cleanButton_, &QPushButton::clicked, this,
            [this] { runJob(JobKind::other, [this] { cleanJobTable(*this, table_); }); });
    connect(exportCsvButton_, &QPushButton::clicked, this,
            [this] { runJob(JobKind::other, [this] { exportCsv(*this, table_); }); });
    connect(refreshButton_, &QPushButton::clicked, this,
            [this] { runJob(JobKind::other, [this] { refreshDataFileList(); }); });
    connect(dataFileList_, &QListWidget::itemSelectionChanged, this, &MainWindow::onDataFileSelectionChanged);
}

void MainWindow::placeControls()
{
    // The controls keep their places; the table grows with the window, the file list (and the
    // refresh button on it) grows downwards.
    const int extraWidth = std::max(0, width() - kWindowGeometry.width());
    const int extraHeight = std::max(0, height() - kWindowGeometry.height());
    keywordBox_->setGeometry(kKeywordBoxPlace);
    crawlListButton_->setGeometry(kCrawlListButtonPlace);
    crawlDetailsButton_->setGeometry(kCrawlDetailsButtonPlace);
    stopButton_->setGeometry(kStopButtonPlace);
    clearListButton_->setGeometry(kClearListButtonPlace);
    saveButton_->setGeometry(kSaveButtonPlace);
    cleanButton_->setGeometry(kCleanButtonPlace);
    exportCsvButton_->setGeometry(kExportCsvButtonPlace);
    logBox_->setGeometry(kLogBoxPlace);
    dataFileList_->setGeometry(kDataFileListPlace.adjusted(0, 0, 0, extraHeight));
    tableView_->setGeometry(kJobTablePlace.adjusted(0, 0, extraWidth, extraHeight));
    refreshButton_->setGeometry(kRefreshButtonPlace.translated(0, extraHeight));
    progressBar_->setGeometry(kProgressBarPlace.adjusted(0, 0, extraWidth, 0));
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

// ---- Host ----

void MainWindow::processPendingMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void MainWindow::delayProcessingMessages(int ms)
{
    if (ms <= 0) return;
    QElapsedTimer clock;
    clock.start();
    QEventLoop pause;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &pause, &QEventLoop::quit);
    pauses_.push_back(&pause);
    // A timer may fire a little early: wait again for what is left.
    while (!stopRequested_) {
        const qint64 left = ms - clock.elapsed();
        if (left <= 0) break;
        timer.start(static_cast<int>(left));
        pause.exec();
    }
    pauses_.erase(std::find(pauses_.begin(), pauses_.end(), &pause));
}

void MainWindow::requestStop()
{
    stopRequested_ = true;
    for (QEventLoop* pause : pauses_) pause->quit();
}

void MainWindow::appendLog(const Text& line)
{
    // The document separates lines by paragraph breaks; a CR LF in the line is one break.
    QString added = gbkToQString(line);
    added.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    added += QLatin1Char('\n');
    QTextCursor end(logBox_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    logBox_->verticalScrollBar()->setValue(logBox_->verticalScrollBar()->maximum());
}

QString MainWindow::logText() const
{
    QString raw = logBox_->document()->toRawText();
    // Every paragraph break of the document was a CR LF.
    raw.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    raw.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    return raw;
}

Text MainWindow::keyword() const
{
    return qstringToGbk(keywordBox_->text());
}

bool MainWindow::inputBox(const Text& prompt, Text& typed)
{
    if (closePending_) return false;
    QInputDialog box(this);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(u8(kInputBoxCaption));
    box.setInputMode(QInputDialog::TextInput);
    box.setLabelText(gbkToQString(prompt));
    box.setTextValue(QString());
    box.setOkButtonText(u8(kInputBoxOk));
    box.setCancelButtonText(u8(kInputBoxCancel));
    if (box.exec() != QDialog::Accepted) return false;
    typed = qstringToGbk(box.textValue());
    return true;
}

void MainWindow::messageBox(const Text& message)
{
    if (closePending_) return;
    // No owner window: the box stands on its own, modal to the whole program.
    QMessageBox box(QMessageBox::NoIcon, u8(kMessageBoxCaption), gbkToQString(message), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool MainWindow::openFileDialog()
{
    if (closePending_) return false;
    return showFileDialog(this, fileDialog_);
}

void MainWindow::reportProgress(int done, int total)
{
    progressBar_->setRange(0, std::max(total, 1));
    progressBar_->setValue(std::clamp(done, 0, std::max(total, 1)));
    progressBar_->show();
}

// ---- Data file list and table commands ----

void MainWindow::setDataFileListDirectory(const std::string& directory)
{
    listDirectory_ = directory;
    const QStringList names = listPlainFiles(directory);
    // Relisting is never the user's choice: no selection event, and a name chosen before stays
    // chosen when it is listed again.
    const QSignalBlocker quiet(dataFileList_);
    dataFileList_->clear();
    dataFileList_->addItems(names);
    const int row = chosenName_.isEmpty() ? -1 : names.indexOf(chosenName_);
    if (row >= 0) {
        dataFileList_->setCurrentRow(row);
    } else {
        chosenName_.clear();
    }
}

std::string MainWindow::chosenFile() const
{
    return qstringToPath(chosenName_);
}

void MainWindow::onDataFileSelectionChanged()
{
    const QList<QListWidgetItem*> selected = dataFileList_->selectedItems();
    const QString name = selected.isEmpty() ? QString() : selected.first()->text();
    if (name == chosenName_) return;
    chosenName_ = name;
    if (name.isEmpty()) return;
    const std::string file = qstringToPath(name);
    runJob(JobKind::other, [this, file] { loadChosenDataFile(table_, listDirectory_, file); });
}

void MainWindow::refreshDataFileList()
{
    setDataFileListDirectory(dataDirectory_);
}

void MainWindow::clearJobTable()
{
    table_.deleteAllRows();
}

// ---- Jobs ----

void MainWindow::setJobControlsEnabled(bool enabled, bool stoppable)
{
    for (QWidget* control : {static_cast<QWidget*>(crawlListButton_), static_cast<QWidget*>(crawlDetailsButton_),
                             static_cast<QWidget*>(clearListButton_), static_cast<QWidget*>(saveButton_),
                             static_cast<QWidget*>(cleanButton_), static_cast<QWidget*>(exportCsvButton_),
                             static_cast<QWidget*>(refreshButton_), static_cast<QWidget*>(dataFileList_)}) {
        control->setEnabled(enabled);
    }
    stopButton_->setEnabled(stoppable);
}

bool MainWindow::runJob(JobKind kind, const std::function<void()>& job)
{
    if (jobRunning_ || closePending_) return false;
    jobRunning_ = true;
    stopRequested_ = false;
    progressBar_->setValue(0);
    setJobControlsEnabled(false, kind == JobKind::crawl);

    job();

    jobRunning_ = false;
    progressBar_->hide();
    setJobControlsEnabled(true, false);
    if (closePending_) finishClosing();
    return true;
}

void MainWindow::finishClosing()
{
    // The window was closed while a job ran and has been hidden since; now that the job is out of
    // it, close it for good. A hidden window's close does not count as the last window closing,
    // so end the program here when that is what closing the last window would do.
    closePending_ = false;
    close();
    if (!QApplication::quitOnLastWindowClosed()) return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible()) return;
    }
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!jobRunning_) {
        QWidget::closeEvent(event);
        return;
    }
    // The job's stack is still inside this window: hide it, tell the job to stop and close for
    // real when the job has returned (runJob).
    event->ignore();
    closePending_ = true;
    requestStop();
    hide();
}
