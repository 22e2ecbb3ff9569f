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

// Cleaning walks the table in nine passes, each over every row. A pass decides for every row on
// that row's cells alone, so the rows a pass deletes are marked while it walks and removed in one
// sweep at its end: the same table as deleting each row at once and examining its index again.
// The whole run is one JobTable batch, so the view is told once when it ends.

namespace {

using Clock = std::chrono::steady_clock;

// The window gets to process its events whenever this much time has passed since it last did;
// the clock is read every kRowsBetweenClockReads rows.
constexpr auto kPumpInterval = std::chrono::milliseconds(8);
constexpr unsigned kRowsBetweenClockReads = 256;

// Distinct salary texts remembered at most at once.
constexpr std::size_t kSalaryMemoLimit = 1 << 16;

constexpr int kPassCount = 9;
constexpr int kProgressPerPass = 1000;

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
        host_.processPendingMessages();
        last_ = Clock::now();
        return !host_.stopRequested();
    }
    // Called once per row; pumps when it is time. False when the job must stop.
    bool tick()
    {
        if (++rows_ % kRowsBetweenClockReads != 0) return true;
        if (Clock::now() - last_ < kPumpInterval) return true;
        return pump();
    }

private:
    Host& host_;
    Clock::time_point last_ = Clock::now();
    unsigned rows_ = 0;
};

class Cleaner {
public:
    Cleaner(Host& host, JobTable& table) : host_(host), table_(table), pacer_(host) {}

    // False when stopped early.
    bool run()
    {
        return pass(1, &Cleaner::salary) && pass(2, &Cleaner::companySize) &&
               pass(3, &Cleaner::companyType) && pass(4, &Cleaner::headcountAndEducation) &&
               pass(5, &Cleaner::workCity) && pass(6, &Cleaner::experience) &&
               pass(7, &Cleaner::industry) && pass(8, &Cleaner::headcount) &&
               pass(9, &Cleaner::jobTitle);
    }

    const Words& words() const { return w_; }

private:
    using Rule = bool (Cleaner::*)(int row);  // true: delete the row

    // Applies the rule to every row, then deletes the rows it marked in one sweep. When a stop
    // is requested mid-pass, the rows marked so far are still deleted, so every row has either
    // been through this pass or not been touched by it.
    bool pass(int number, Rule rule)
    {
        if (!pacer_.pump()) return false;
        const int rows = table_.rowCount();
        std::vector<char> doomed;
        bool stopped = false;
        for (int i = 0; i < rows; ++i) {
            if (!pacer_.tick()) {
                stopped = true;
                break;
            }
            if ((this->*rule)(i)) {
                if (doomed.empty()) doomed.assign(static_cast<std::size_t>(rows), 0);
                doomed[static_cast<std::size_t>(i)] = 1;
            }
            if (i % 65536 == 0) {
                host_.reportProgress((number - 1) * kProgressPerPass +
                                         static_cast<int>(static_cast<long long>(i) * kProgressPerPass / rows),
                                     kPassCount * kProgressPerPass);
            }
        }
        if (!doomed.empty()) table_.deleteRows(doomed);
        return !stopped;
    }

    // Reads a cell into the scratch text t_ (reusing its buffer).
    const Text& read(int row, int column)
    {
        const std::string_view v = table_.cellView(row, column);
        t_.assign(v.data(), v.size());
        return t_;
    }

    void write(int row, int column, const Text& value)
    {
        if (table_.cellView(row, column) != value) table_.setCellText(row, column, value);
    }

    // Pass 1: the salary becomes one monthly figure in yuan; a row without one is deleted.
    bool salary(int row)
    {
        const Text& t = read(row, JobColumn::salary);
        bool zero = false;
        if (isWrittenNumber(t, &zero)) return zero;

        // The same salary texts come back again and again (6-8千/月 and the like); each distinct
        // one is worked out once per run.
        auto known = salaries_.find(t);
        if (known == salaries_.end()) {
            Text figure = monthlySalary(t);
            if (salaries_.size() >= kSalaryMemoLimit) salaries_.clear();
            known = salaries_.emplace(t, std::move(figure)).first;
        }
        if (known->second.empty()) return true;
        write(row, JobColumn::salary, known->second);
        return false;
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
    bool companySize(int row)
    {
        if (table_.cellView(row, JobColumn::companySize).empty())
            table_.setCellText(row, JobColumn::companySize, w_.defaultCompanySize);
        return false;
    }

    // Pass 3: a missing company type gets the default.
    bool companyType(int row)
    {
        if (table_.cellView(row, JobColumn::companyType).empty())
            table_.setCellText(row, JobColumn::companyType, w_.defaultCompanyType);
        return false;
    }

    // Pass 4: rows without a usable headcount or education go.
    bool headcountAndEducation(int row)
    {
        if (table_.cellView(row, JobColumn::headcount).empty()) return true;
        if (table_.cellView(row, JobColumn::education).empty()) return true;
        if (contains(read(row, JobColumn::education), w_.recruit)) return true;
        return contains(read(row, JobColumn::headcount), w_.several);
    }

    // Pass 5: the city without its district.
    bool workCity(int row)
    {
        const Text& t = read(row, JobColumn::workCity);
        if (contains(t, w_.hyphen)) write(row, JobColumn::workCity, text::textBefore(t, w_.hyphen));
        return false;
    }

    // Pass 6: the years of experience, a range becoming its middle.
    bool experience(int row)
    {
        Text t = read(row, JobColumn::experience);
        if (isWrittenNumber(t)) return false;
        if (t.empty() || t == w_.noExperience) t = w_.zeroYears;
        t = text::textBefore(t, w_.year);
        if (contains(t, w_.hyphen)) {
            const int lo = text::toInt(text::textBefore(t, w_.hyphen));
            const int hi = text::toInt(text::textAfter(t, w_.hyphen));
            t = text::toText((static_cast<double>(lo) + static_cast<double>(hi)) / 2);
        }
        write(row, JobColumn::experience, t);
        return false;
    }

    // Pass 7: the industry's first name; each cut is of the cell as it was, the last one wins.
    bool industry(int row)
    {
        const Text& t = read(row, JobColumn::industry);
        const Text* result = nullptr;
        Text cut;
        if (t.empty()) result = &w_.defaultIndustry;
        if (contains(t, w_.slash)) {
            cut = text::textBefore(t, w_.slash);
            result = &cut;
        }
        if (contains(t, w_.paren)) {
            cut = text::textBefore(t, w_.paren);
            result = &cut;
        }
        if (result) write(row, JobColumn::industry, *result);
        return false;
    }

    // Pass 8: the number between 招 and 人.
    bool headcount(int row)
    {
        const Text& t = read(row, JobColumn::headcount);
        if (contains(t, w_.person)) write(row, JobColumn::headcount, text::textBetween(t, w_.recruit, w_.person));
        return false;
    }

    // Pass 9: the job title's core. Every rule tests the title as it was; the last one that
    // applies decides.
    bool jobTitle(int row)
    {
        const Text& t = read(row, JobColumn::jobTitle);
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
        if (applied) write(row, JobColumn::jobTitle, result);
        return false;
    }

    Host& host_;
    JobTable& table_;
    Pacer pacer_;
    Words w_;
    RegexMatcher matcher_;
    std::unordered_map<Text, Text> salaries_;
    Text t_;
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
