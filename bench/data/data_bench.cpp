// Speed of cleaning, saving, loading and CSV export at 100,000 and 1,000,000 rows of realistic
// crawled cells, the growth between the two sizes, our export against Python's csv module
// writing the same rows, and the load of a 300 MB data file.
//
// Usage: data_bench [rows]   (default 1000000; the small run is rows / 10)

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "data/csv_export.h"
#include "data/data_cleaning.h"
#include "data/data_file.h"
#include "data/file_io.h"
#include "data/job_table.h"
#include "text/gbk_codec.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr std::size_t kBigFileBytes = 300u * 1024u * 1024u;

// A Host that answers the name and path questions and ignores the rest.
class BenchHost : public Host {
public:
    std::string dataDir;
    Text name;
    std::vector<Text> log;
    std::vector<Text> messages;
    FileDialog dialog;
    std::string exportPath;
    int pumps = 0;

    void processPendingMessages() override { ++pumps; }
    void delayProcessingMessages(int) override {}
    bool stopRequested() const override { return false; }
    void appendLog(const Text& line) override { log.push_back(line); }
    Text keyword() const override { return "java"; }
    bool inputBox(const Text&, Text& typed) override
    {
        typed = name;
        return true;
    }
    void messageBox(const Text& message) override { messages.push_back(message); }
    FileDialog& fileDialog() override { return dialog; }
    bool openFileDialog() override
    {
        dialog.fileName = exportPath;
        return true;
    }
    std::string runDirectory() const override { return "."; }
    std::string dataDirectory() const override { return dataDir; }
};

std::vector<Text> gbkList(const std::vector<const char*>& utf8)
{
    std::vector<Text> out;
    for (const char* s : utf8) out.push_back(text::fromUtf8(s));
    return out;
}

// Rows as the two crawls leave them: salary ranges in thousands or ten thousands per month or
// year, some unusable salaries, headcounts and education with the cases that delete a row,
// districts, long job titles, industries with alternatives, experience ranges.
void fillRealistic(JobTable& table, int rows, unsigned seed)
{
    std::mt19937 random(seed);
    const std::vector<Text> salaries = gbkList({"6-8千/月", "1-1.5万/月", "10-20万/年", "4.5-6千/月", "1千以下/月",
                                                "150元/天", "0.8-1万/月", "15-25万/年", "1.5万以下/年", "2-3万/月",
                                                "3000-5000元/月", "8千-1.2万/月", "", "100-150万/月"});
    const Text thousandsPerMonth = text::fromUtf8("千/月");
    const std::vector<Text> companies = gbkList({"山东浪潮软件股份有限公司", "济南某某信息技术有限公司",
                                                 "青岛海尔智家股份有限公司", "烟台东方电子信息产业集团",
                                                 "潍坊歌尔声学科技有限公司"});
    const std::vector<Text> sizes = gbkList({"50-150", "150-500", "少于50", "1000-5000", "", "10000以上"});
    const std::vector<Text> types = gbkList({"民营公司", "国企", "合资", "", "外资（欧美）", "上市公司"});
    const std::vector<Text> headcounts = gbkList({"招3人", "招1人", "招10人", "招若干人", "", "招5人"});
    const std::vector<Text> education = gbkList({"本科", "大专", "硕士", "", "招2人", "中专/中技"});
    const std::vector<Text> cities = gbkList({"济南-历下区", "青岛", "烟台-芝罘区", "济南-高新区", "潍坊"});
    const std::vector<Text> titles = gbkList({"Java开发工程师（济南）", "高级工程师-济南", "实习生/软件",
                                              "测试 开发工程师", "设计师助理(实习生)", "销售代表",
                                              "Java后端开发*2", "产品经理/项目经理", "运维\\实施工程师"});
    const std::vector<Text> industries = gbkList({"计算机软件", "互联网/电子商务", "通信/电信运营(增值服务)",
                                                  "", "电子技术/半导体/集成电路", "教育/培训/院校"});
    const std::vector<Text> experience = gbkList({"1年经验", "3-4年经验", "5-7年经验", "无工作经验", "",
                                                  "10年以上经验", "2年经验", "在校生/应届生"});
    const Text date = "03-15";

    auto pick = [&random](const std::vector<Text>& v) -> const Text& { return v[random() % v.size()]; };
    table.deleteAllRows();
    table.reserve(rows);
    JobTable::Batch batch(table);
    std::vector<std::string_view> cells(JobTable::kColumnCount);
    for (int r = 0; r < rows; ++r) {
        const unsigned id = random() % 10000000;
        Text salary = pick(salaries);
        if (random() % 4 == 0) {  // some hundred distinct ranges besides the common ones
            const int lo = static_cast<int>(random() % 30) + 2;
            salary = std::to_string(lo) + "-" + std::to_string(lo + static_cast<int>(random() % 8) + 1) + thousandsPerMonth;
        }
        const Text company = pick(companies) + std::to_string(id % 997);
        const Text pageUrl = "https://jobs.51job.com/jinan-lxq/" + std::to_string(100000000 + id) + ".html?s=01&t=0";
        const Text companyUrl = "https://jobs.51job.com/all/co" + std::to_string(5000000 + id % 99991) + ".html";
        cells[0] = date;
        cells[1] = salary;
        cells[2] = company;
        cells[3] = pick(sizes);
        cells[4] = pick(types);
        cells[5] = pick(headcounts);
        cells[6] = pick(education);
        cells[7] = pick(cities);
        cells[8] = pageUrl;
        cells[9] = companyUrl;
        cells[10] = pick(titles);
        cells[11] = pick(industries);
        cells[12] = pick(experience);
        table.appendRow(cells);
    }
}

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t fileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

struct Figures {
    int rows = 0;
    int rowsAfterCleaning = 0;
    double clean = 0;
    double save = 0;
    double load = 0;
    double exportCsv = 0;
    std::size_t fileBytes = 0;
    std::size_t csvBytes = 0;
};

// Each job runs this many times; the fastest run counts (the machine is shared).
constexpr int kRounds = 3;

double fastest(const std::function<void()>& prepare, const std::function<void()>& work)
{
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        prepare();
        const double t = seconds(work);
        if (round == 0 || t < best) best = t;
    }
    return best;
}

Figures measure(const std::string& dir, int rows)
{
    Figures f;
    f.rows = rows;
    BenchHost host;
    host.dataDir = dir;
    JobTable table;

    f.clean = fastest([&] { fillRealistic(table, rows, 42); }, [&] { cleanJobTable(host, table); });
    f.rowsAfterCleaning = table.rowCount();

    // Saving, loading and export work on the raw (uncleaned) rows: more rows and longer cells.
    fillRealistic(table, rows, 42);
    host.name = "bench";
    f.save = fastest([] {}, [&] { saveDataFile(host, table); });
    f.fileBytes = fileSize(dir + "/bench.txt");

    JobTable loaded;
    f.load = fastest([&] { loaded.deleteAllRows(); }, [&] { loadChosenDataFile(loaded, dir, "bench.txt"); });
    if (loaded.rowCount() != table.rowCount()) std::printf("!! loaded %d rows of %d\n", loaded.rowCount(), table.rowCount());

    host.exportPath = dir + "/bench.csv";
    f.exportCsv = fastest([] {}, [&] { exportCsv(host, table); });
    f.csvBytes = fileSize(host.exportPath);
    return f;
}

// Python's csv module writing the same rows (read from the data file first, not timed).
double pythonCsvSeconds(const std::string& dir)
{
    const std::string script = dir + "/csv_baseline.py";
    std::ofstream(script) << R"PY(
import csv, sys, time
data = open(sys.argv[1], 'rb').read().decode('gbk', 'surrogateescape')
rows = [r.split('<?nr.#p>')[:13] for r in data.split('<?h.#p>') if r]
rows = [r + [''] * (13 - len(r)) for r in rows]
header = ['发布时间 0', '薪资 1', '公司名称 2', '公司规模 3', '公司类型 4', '招聘人数 5', '学历要求 6',
          '工作城市 7', '页面url 8', '公司url 9', '职位名称 10', '公司行业 11', '工作经验 12']
start = time.perf_counter()
with open(sys.argv[2], 'w', encoding='gbk', errors='surrogateescape', newline='') as f:
    w = csv.writer(f, lineterminator='\r\n')
    w.writerow(header)
    w.writerows(rows)
print(time.perf_counter() - start)
)PY";
    const std::string command =
        "python3 '" + script + "' '" + dir + "/bench.txt' '" + dir + "/python.csv'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    double t = 0;
    if (std::fscanf(pipe, "%lf", &t) != 1) t = 0;
    pclose(pipe);
    return t;
}

double bigFileLoadSeconds(const std::string& dir, std::size_t* bytes, int* rows)
{
    JobTable table;
    fillRealistic(table, 100000, 7);
    const Text chunk = serializeJobTable(table);
    const std::string path = dir + "/big.txt";
    {
        std::ofstream out(path, std::ios::binary);
        std::size_t written = 0;
        while (written < kBigFileBytes) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            written += chunk.size();
        }
    }
    *bytes = fileSize(path);
    JobTable loaded;
    const double t = seconds([&] { loadChosenDataFile(loaded, dir, "big.txt"); });
    *rows = loaded.rowCount();
    return t;
}

void removeDir(const std::string& dir)
{
    const std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0) std::printf("could not remove %s\n", dir.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    char pattern[] = "/tmp/jc-data-bench.XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return 1;
    const std::string dir = made;

    // "data_bench <rows> load": only saving once and loading, for profiling.
    if (argc > 2 && std::string(argv[2]) == "load") {
        BenchHost host;
        host.dataDir = dir;
        host.name = "bench";
        JobTable table;
        fillRealistic(table, rows, 42);
        saveDataFile(host, table);
        table.deleteAllRows();
        const double t = seconds([&] { loadChosenDataFile(table, dir, "bench.txt"); });
        std::printf("load %d rows: %.3f s\n", table.rowCount(), t);
        removeDir(dir);
        return 0;
    }
    // "data_bench <rows> clean": only the cleaning, for profiling.
    if (argc > 2 && std::string(argv[2]) == "clean") {
        BenchHost host;
        JobTable table;
        fillRealistic(table, rows, 42);
        const double t = seconds([&] { cleanJobTable(host, table); });
        std::printf("clean %d rows: %.3f s, %d left, %d pumps\n", rows, t, table.rowCount(), host.pumps);
        removeDir(dir);
        return 0;
    }

    const Figures small = measure(dir, rows / 10);
    const Figures large = measure(dir, rows);
    const double python = pythonCsvSeconds(dir);

    std::printf("data bench: %d rows (%.0f MB data file, %.0f MB CSV); %d rows left after cleaning\n", large.rows,
                large.fileBytes / kMegabyte, large.csvBytes / kMegabyte, large.rowsAfterCleaning);
    std::printf("%-8s %10s %10s %8s %s\n", "job", "small s", "large s", "growth",
                "(fastest of 3; goal: large < 2 s clean, 1.5 s others; growth <= 11)");
    auto line = [](const char* job, double s, double l) {
        std::printf("%-8s %10.3f %10.3f %7.1fx\n", job, s, l, s > 0 ? l / s : 0.0);
    };
    line("clean", small.clean, large.clean);
    line("save", small.save, large.save);
    line("load", small.load, large.load);
    line("export", small.exportCsv, large.exportCsv);
    if (python > 0) {
        std::printf("export vs Python csv module, same rows: ours %.3f s, Python %.3f s: %.1fx faster (goal >= 5x)\n",
                    large.exportCsv, python, python / large.exportCsv);
    } else {
        std::printf("export vs Python csv module: python3 did not run\n");
    }

    std::size_t bigBytes = 0;
    int bigRows = 0;
    const double big = bigFileLoadSeconds(dir, &bigBytes, &bigRows);
    std::printf("load of a %.0f MB data file: %.3f s, %d rows\n", bigBytes / kMegabyte, big, bigRows);

    removeDir(dir);
    return 0;
}
