// The job table with its view attached, at a million rows: appending them in one batch,
// deleting them all, painting one screenful, and the memory they take. Each figure is printed
// with its ratio against a baseline measured in the same run (the store alone, or a small table).
//
// Run on Qt's offscreen platform: QT_QPA_PLATFORM=offscreen ./table_view_bench [rows]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include "app/job_cell_delegate.h"
#include "app/job_table_model.h"
#include "data/job_table.h"
#include "text/gbk_codec.h"

namespace {

constexpr int kDefaultRows = 1000000;
constexpr int kPaintRepeats = 30;
constexpr double kAppendGoalSeconds = 2.0;
constexpr double kDeleteGoalSeconds = 0.2;
constexpr double kPaintGoalMs = 16.0;
constexpr double kMemoryGoalRatio = 2.5;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Cells as the crawls leave them: Chinese names and places, salaries, two addresses per row.
class RowMaker {
public:
    RowMaker()
    {
        for (const char* s : {"青岛海纳云智能系统有限公司", "济南浪潮数字科技股份有限公司", "烟台某某软件技术有限公司",
                              "潍坊歌尔信息技术有限公司", "山东高速信联科技股份有限公司"})
            companies_.push_back(text::fromUtf8(s));
        for (const char* s : {"Java开发工程师", "高级Java后端工程师（微服务）", "Java软件工程师", "Java架构师"})
            titles_.push_back(text::fromUtf8(s));
        for (const char* s : {"1-1.5万/月", "8千-1.2万/月", "15-25万/年", "150元/天"})
            salaries_.push_back(text::fromUtf8(s));
        for (const char* s : {"青岛-崂山区", "济南-高新区", "烟台", "潍坊-奎文区"}) cities_.push_back(text::fromUtf8(s));
        for (const char* s : {"民营公司", "上市公司", "国企", "外资（欧美）"}) types_.push_back(text::fromUtf8(s));
        for (const char* s : {"计算机软件", "互联网/电子商务", "通信/电信/网络设备"}) industries_.push_back(text::fromUtf8(s));
        for (const char* s : {"本科", "大专", "硕士"}) educations_.push_back(text::fromUtf8(s));
        for (const char* s : {"招2人", "招若干人", "招5人"}) headcounts_.push_back(text::fromUtf8(s));
        for (const char* s : {"3-4年经验", "1年经验", "无需经验", "5-7年经验"}) experiences_.push_back(text::fromUtf8(s));
    }

    // The cells of row i; valid until the next call.
    const std::vector<std::string_view>& row(int i)
    {
        std::snprintf(date_, sizeof date_, "%02d-%02d", 1 + i % 12, 1 + i % 28);
        std::snprintf(pageUrl_, sizeof pageUrl_, "https://jobs.51job.com/qingdao-lsq/%d.html?s=sou_sou_soulb&t=0_0",
                      120000000 + i);
        std::snprintf(companyUrl_, sizeof companyUrl_, "https://jobs.51job.com/all/co%d.html", 3000000 + i / 7);
        cells_ = {date_,
                  salaries_[i % salaries_.size()],
                  companies_[i % companies_.size()],
                  "150-500",
                  types_[i % types_.size()],
                  headcounts_[i % headcounts_.size()],
                  educations_[i % educations_.size()],
                  cities_[i % cities_.size()],
                  pageUrl_,
                  companyUrl_,
                  titles_[i % titles_.size()],
                  industries_[i % industries_.size()],
                  experiences_[i % experiences_.size()]};
        return cells_;
    }

    static std::size_t bytesOf(const std::vector<std::string_view>& cells)
    {
        std::size_t n = 0;
        for (std::string_view c : cells) n += c.size();
        return n;
    }

private:
    std::vector<Text> companies_, titles_, salaries_, cities_, types_, industries_, educations_, headcounts_,
        experiences_;
    char date_[16];
    char pageUrl_[128];
    char companyUrl_[96];
    std::vector<std::string_view> cells_;
};

// Appends rows in one batch; returns the cells' bytes. notifySeconds: the time the batch's end
// took (the listener hearing of the rows).
std::size_t appendRows(JobTable& table, int rows, double* notifySeconds = nullptr)
{
    RowMaker maker;
    std::size_t bytes = 0;
    table.beginBatch();
    table.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        const std::vector<std::string_view>& cells = maker.row(i);
        bytes += RowMaker::bytesOf(cells);
        table.appendRow(cells);
    }
    const auto start = Clock::now();
    table.endBatch();
    if (notifySeconds) *notifySeconds = secondsSince(start);
    return bytes;
}

void setUpView(QTableView& view, JobTableModel& model)
{
    view.setModel(&model);
    view.setItemDelegate(new JobCellDelegate(&view));
    view.setWordWrap(false);
    view.horizontalHeader()->setDefaultSectionSize(80);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
    view.verticalHeader()->hide();
    view.resize(1048, 704);
    view.show();
    QCoreApplication::processEvents();
}

// Median time of painting the view's viewport into an image, in ms.
double paintMs(QTableView& view)
{
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int i = 0; i < kPaintRepeats; ++i) {
        const auto start = Clock::now();
        view.viewport()->render(&image);
        times.push_back(secondsSince(start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, double value, const char* unit, double baseline, double goal)
{
    std::printf("%-44s %10.3f %-3s  baseline %10.3f %-3s  ratio %6.2f  goal < %.3g %s  %s\n", what, value, unit,
                baseline, unit, baseline > 0 ? value / baseline : 0.0, goal, unit, value < goal ? "ok" : "MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRows;
    std::printf("rows: %d\n", rows);

    // With the view attached.
    JobTable table;
    JobTableModel model(table);
    QTableView view;
    setUpView(view, model);

    malloc_trim(0);
    const std::size_t rssBefore = residentBytes();
    auto start = Clock::now();
    auto start2 = start;
    double notifySeconds = 0;
    const std::size_t cellBytes = appendRows(table, rows, &notifySeconds);
    start2 = Clock::now();
    QCoreApplication::processEvents();
    const double layoutSeconds = secondsSince(start2);
    const double appendSeconds = secondsSince(start);
    const std::size_t rssDelta = residentBytes() - rssBefore;
    const std::size_t storeBytes = table.memoryUsage();

    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    const double paintBig = paintMs(view);
    // For comparison: Qt's stock delegate on the same screenful.
    QAbstractItemDelegate* ours = view.itemDelegate();
    QStyledItemDelegate stock;
    view.setItemDelegate(&stock);
    const double paintStock = paintMs(view);
    view.setItemDelegate(ours);

    start = Clock::now();
    table.deleteAllRows();
    QCoreApplication::processEvents();
    const double deleteSeconds = secondsSince(start);

    // Baselines: the store alone, and a view over one screenful of rows. The freed rows go back
    // to the system first, so that the baseline pays for fresh memory as the first run did.
    malloc_trim(0);
    JobTable alone;
    start = Clock::now();
    appendRows(alone, rows);
    const double appendAloneSeconds = secondsSince(start);
    start = Clock::now();
    alone.deleteAllRows();
    const double deleteAloneSeconds = secondsSince(start);

    appendRows(table, 40);
    QCoreApplication::processEvents();
    const double paintSmall = paintMs(view);

    std::printf("cell bytes: %.1f MB, store: %.1f MB, RSS growth: %.1f MB\n", cellBytes / 1e6, storeBytes / 1e6,
                rssDelta / 1e6);
    report("append in one batch, view attached", appendSeconds, "s", appendAloneSeconds, kAppendGoalSeconds);
    std::printf("  of which the view hearing of the rows %.3f s, its next event round %.3f s\n", notifySeconds,
                layoutSeconds);
    report("deleteAllRows, view attached", deleteSeconds, "s", deleteAloneSeconds, kDeleteGoalSeconds);
    report("paint one screenful at all rows", paintBig, "ms", paintSmall, kPaintGoalMs);
    report("  the same with Qt's stock delegate", paintStock, "ms", paintSmall, kPaintGoalMs);
    report("store bytes / cell bytes", double(storeBytes) / double(cellBytes), "x", 1.0, kMemoryGoalRatio);
    report("RSS growth / cell bytes", double(rssDelta) / double(cellBytes), "x", 1.0, kMemoryGoalRatio);
    return 0;
}
