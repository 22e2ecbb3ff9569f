#include "data/data_cleaning.h"

#include <chrono>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/extract.h"
#include "text/gbk_codec.h"
#include "text/regex_matcher.h"
#include "text/text.h"

// Cleaning applies nine passes in order. Every pass decides for a row on that row's own cells
// alone (as the earlier passes left them), so the nine passes are applied to one row before the
// next is read: the same table as walking the whole table nine times, with each row fetched and
// stored once. A row a pass deletes is marked and skips the later passes; the marked rows go in
// one sweep at the end, the same result as deleting each at once and examining its index again.
// The whole run is one JobTable batch, so the view is told once when it ends.

namespace {

using Clock = std::chrono::steady_clock;

// The window gets to process its events whenever this much time has passed since its last turn
// began; the clock is read after every kRowsBetweenClockReads rows, or sooner when the rows hold
// kBytesBetweenClockReads bytes (rows with huge cells take longer).
constexpr auto kPumpInterval = std::chrono::milliseconds(8);
constexpr unsigned kRowsBetweenClockReads = 256;
constexpr std::size_t kBytesBetweenClockReads = 64 * 1024;

// Distinct salary texts remembered at most at once, and the longest one remembered (real ones
// are a few bytes; a huge cell is worked out without keeping a copy).
constexpr std::size_t kSalaryMemoLimit = 1 << 16;
constexpr std::size_t kSalaryMemoKeyBytes = 64;

// Progress is reported every this many rows.
constexpr int kProgressRows = 65536;

const char* const kUnderSalaryPattern = "(.*?)(千|万)以下/(月|年)";
const char* const kRangeSalaryPattern = "(.*?)\\-(.*?)(千|万)/(月|年)";
const char* const kRemainingRowsLog = "数据清洗后剩余条数：";

// The GBK forms of the words the passes look for and write, converted once per run.
struct Words {
    Text under = text::fromUtf8("以下");
    Text underPattern = text::fromUtf8(kUnderSalaryPattern);
    Text rangePattern = text::fromUtf8(kRangeSalaryPattern);
    Text thousand = text::fromUtf8("千");
    Text year = text::fromUtf8("年");
    Text defaultCompanySize = text::fromUtf8("少于50人");
    Text defaultCompanyType = text::fromUtf8("民营公司");
    Text recruit = text::fromUtf8("招");
    Text several = text::fromUtf8("若干");
    Text noExperience = text::fromUtf8("无工作经验");
    Text zeroYears = text::fromUtf8("0年经验");
    Text defaultIndustry = text::fromUtf8("计算机软件");
    Text person = text::fromUtf8("人");
    Text master = text::fromUtf8("师");
    Text student = text::fromUtf8("生");
    Text staff = text::fromUtf8("员");
    Text fullWidthParen = text::fromUtf8("（");
    Text remainingRows = text::fromUtf8(kRemainingRowsLog);
    Text hyphen = "-";
    Text slash = "/";
    Text paren = "(";
    Text star = "*";
    Text space = " ";
    Text backslash = "\\";
};

bool contains(const Text& t, const Text& what)
{
    return text::find(t, what) > 0;
}

// A cell in the form cleaning itself writes numbers in: [0-9]+(\.[0-9]+)?(e\+[0-9]{3})?
// (such cells are left as they are, so that cleaning a cleaned table changes nothing).
bool isWrittenNumber(std::string_view s, bool* isZero = nullptr)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    bool zero = true;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && digit(s[i])) {
            if (s[i] != '0') zero = false;
            ++i;
        }
        return i > start;
    };
    if (!digits()) return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!digits()) return false;
    }
    if (i < s.size() && s[i] == 'e') {
        if (s.size() - i != 5 || s[i + 1] != '+') return false;
        for (std::size_t k = i + 2; k < s.size(); ++k) {
            if (!digit(s[k])) return false;
        }
        i = s.size();
    }
    if (i != s.size()) return false;
    if (isZero) *isZero = zero;
    return true;
}

// Lets the window process its events every few milliseconds of work and watches for a stop.
class Pacer {
public:
    explicit Pacer(Host& host) : host_(host) {}

    // Pumps now; false when the job must stop.
    bool pump()
    {
        last_ = Clock::now();
        host_.processPendingMessages();
        return !host_.stopRequested();
    }
    // Called after each row of the given size; pumps when it is time. False when the job must
    // stop.
    bool tick(std::size_t rowBytes)
    {
        bytes_ += rowBytes;
        if (++rows_ < kRowsBetweenClockReads && bytes_ < kBytesBetweenClockReads) return true;
        rows_ = 0;
        bytes_ = 0;
        if (Clock::now() - last_ < kPumpInterval) return true;
        return pump();
    }

private:
    Host& host_;
    Clock::time_point last_ = Clock::now();
    unsigned rows_ = 0;
    std::size_t bytes_ = 0;
};

// One row's cells while the passes work on them.
struct RowCells {
    Text cell[JobTable::kColumnCount];
    bool changed = false;

    Text& operator[](int column) { return cell[column]; }
    void set(int column, const Text& value)
    {
        if (cell[column] == value) return;
        cell[column] = value;
        changed = true;
    }
};

class Cleaner {
public:
    Cleaner(Host& host, JobTable& table) : host_(host), table_(table), pacer_(host) {}

    // False when stopped early: the rows before the stop are cleaned, the others untouched.
    bool run()
    {
        if (!pacer_.pump()) return false;
        const int rows = table_.rowCount();
        std::vector<char> doomed;
        bool stopped = false;
        std::string_view views[JobTable::kColumnCount];
        std::size_t lastRowBytes = 0;
        for (int i = 0; i < rows; ++i) {
            if (i > 0 && !pacer_.tick(lastRowBytes)) {
                stopped = true;
                break;
            }
            lastRowBytes = 0;
            for (int c = 0; c < JobTable::kColumnCount; ++c) {
                const std::string_view v = table_.cellView(i, c);
                row_[c].assign(v.data(), v.size());
                lastRowBytes += v.size();
            }
            row_.changed = false;
            if (!cleanRow(row_)) {
                if (doomed.empty()) doomed.assign(static_cast<std::size_t>(rows), 0);
                doomed[static_cast<std::size_t>(i)] = 1;
            } else if (row_.changed) {
                for (int c = 0; c < JobTable::kColumnCount; ++c) views[c] = row_[c];
                table_.replaceRow(i, views, JobTable::kColumnCount);
            }
            if (i % kProgressRows == 0) host_.reportProgress(i, rows);
        }
        if (!doomed.empty()) table_.deleteRows(doomed);
        return !stopped;
    }

    const Words& words() const { return w_; }

private:
    // The nine passes in order; false when one of them deletes the row.
    bool cleanRow(RowCells& r)
    {
        if (!salary(r)) return false;
        companySize(r);
        companyType(r);
        if (!headcountAndEducation(r)) return false;
        workCity(r);
        experience(r);
        industry(r);
        headcount(r);
        jobTitle(r);
        return true;
    }

    // Pass 1: the salary becomes one monthly figure in yuan; a row without one is deleted.
    bool salary(RowCells& r)
    {
        const Text& t = r[JobColumn::salary];
        bool zero = false;
        if (isWrittenNumber(t, &zero)) return !zero;

        // The same salary texts come back again and again (6-8千/月 and the like); each distinct
        // one is worked out once per run.
        if (t.size() > kSalaryMemoKeyBytes) return writeSalary(r, monthlySalary(t));
        auto known = salaries_.find(t);
        if (known == salaries_.end()) {
            Text figure = monthlySalary(t);
            if (salaries_.size() >= kSalaryMemoLimit) salaries_.clear();
            known = salaries_.emplace(t, std::move(figure)).first;
        }
        return writeSalary(r, known->second);
    }

    // False for no figure (the row goes).
    static bool writeSalary(RowCells& r, const Text& figure)
    {
        if (figure.empty()) return false;
        r.set(JobColumn::salary, figure);
        return true;
    }

    // The text form of the monthly salary a salary text stands for; "" when it gives 0.
    Text monthlySalary(const Text& t)
    {
        float s;
        if (contains(t, w_.under)) {
            matcher_.execute(w_.underPattern, t);
            const float v = text::toFloat(matcher_.groupText(1, 1));
            const double k = matcher_.groupText(1, 2) == w_.thousand ? 1000 : 10000;
            s = static_cast<float>(text::roundNumber(static_cast<double>(v) * k));
            if (matcher_.groupText(1, 3) == w_.year) s = static_cast<float>(static_cast<double>(s) / 12);
        } else {
            matcher_.execute(w_.rangePattern, t);
            const float lo = text::toFloat(matcher_.groupText(1, 1));
            const float hi = text::toFloat(matcher_.groupText(1, 2));
            const double m = (static_cast<double>(lo) + static_cast<double>(hi)) / 2;
            const double k = matcher_.groupText(1, 3) == w_.thousand ? 1000 : 10000;
            s = static_cast<float>(text::roundNumber(m * k));
            if (matcher_.groupText(1, 4) == w_.year) s = static_cast<float>(static_cast<double>(s) / 12);
        }
        if (std::fabs(static_cast<double>(s)) > 1e-7) return text::toText(s);
        return Text();
    }

    // Pass 2: a missing company size gets the default.
    void companySize(RowCells& r)
    {
        if (r[JobColumn::companySize].empty()) r.set(JobColumn::companySize, w_.defaultCompanySize);
    }

    // Pass 3: a missing company type gets the default.
    void companyType(RowCells& r)
    {
        if (r[JobColumn::companyType].empty()) r.set(JobColumn::companyType, w_.defaultCompanyType);
    }

    // Pass 4: rows without a usable headcount or education go.
    bool headcountAndEducation(RowCells& r)
    {
        const Text& headcount = r[JobColumn::headcount];
        const Text& education = r[JobColumn::education];
        if (headcount.empty() || education.empty()) return false;
        if (contains(education, w_.recruit)) return false;
        return !contains(headcount, w_.several);
    }

    // Pass 5: the city without its district.
    void workCity(RowCells& r)
    {
        const Text& t = r[JobColumn::workCity];
        if (contains(t, w_.hyphen)) r.set(JobColumn::workCity, text::textBefore(t, w_.hyphen));
    }

    // Pass 6: the years of experience, a range becoming its middle.
    void experience(RowCells& r)
    {
        Text t = r[JobColumn::experience];
        if (isWrittenNumber(t)) return;
        if (t.empty() || t == w_.noExperience) t = w_.zeroYears;
        t = text::textBefore(t, w_.year);
        if (contains(t, w_.hyphen)) {
            const int lo = text::toInt(text::textBefore(t, w_.hyphen));
            const int hi = text::toInt(text::textAfter(t, w_.hyphen));
            t = text::toText((static_cast<double>(lo) + static_cast<double>(hi)) / 2);
        }
        r.set(JobColumn::experience, t);
    }

    // Pass 7: the industry's first name; each cut is of the cell as it was, the last one wins.
    void industry(RowCells& r)
    {
        const Text t = r[JobColumn::industry];
        if (t.empty()) r.set(JobColumn::industry, w_.defaultIndustry);
        if (contains(t, w_.slash)) r.set(JobColumn::industry, text::textBefore(t, w_.slash));
        if (contains(t, w_.paren)) r.set(JobColumn::industry, text::textBefore(t, w_.paren));
    }

    // Pass 8: the number between 招 and 人.
    void headcount(RowCells& r)
    {
        const Text& t = r[JobColumn::headcount];
        if (contains(t, w_.person)) r.set(JobColumn::headcount, text::textBetween(t, w_.recruit, w_.person));
    }

    // Pass 9: the job title's core. Every rule tests the title as it was; the last one that
    // applies decides.
    void jobTitle(RowCells& r)
    {
        const Text& t = r[JobColumn::jobTitle];
        bool applied = false;
        Text result;
        auto cutBefore = [&](const Text& marker, const Text& suffix) {
            if (!contains(t, marker)) return false;
            result = text::textBefore(t, marker) + suffix;
            applied = true;
            return true;
        };
        const Text none;
        cutBefore(w_.master, w_.master);
        cutBefore(w_.student, w_.student);
        cutBefore(w_.staff, w_.staff);
        cutBefore(w_.paren, none);
        cutBefore(w_.hyphen, none);
        cutBefore(w_.fullWidthParen, none);
        if (!cutBefore(w_.slash, none)) {
            if (!cutBefore(w_.star, none)) cutBefore(w_.space, none);
        }
        cutBefore(w_.backslash, none);
        if (applied) r.set(JobColumn::jobTitle, result);
    }

    Host& host_;
    JobTable& table_;
    Pacer pacer_;
    Words w_;
    RegexMatcher matcher_;
    std::unordered_map<Text, Text> salaries_;
    RowCells row_;
};

}  // namespace

void cleanJobTable(Host& host, JobTable& table)
{
    Cleaner cleaner(host, table);
    bool finished;
    {
        JobTable::Batch batch(table);
        finished = cleaner.run();
    }
    if (!finished) return;
    host.appendLog(cleaner.words().remainingRows + text::toText(table.rowCount()));
}
