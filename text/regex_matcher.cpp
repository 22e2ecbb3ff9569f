#include "text/regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "text/gbk_codec.h"

namespace {

// Backtracking budget of one pcre2_match call: generous for real pages (the posting pattern
// needs a few thousand steps per posting), small enough that a runaway pattern fails within
// a fraction of a second instead of hanging the window.
constexpr uint32_t kMatchLimit = 5'000'000;
// Interpreter recursion depth and heap (the JIT ignores them; it has its own stack below).
constexpr uint32_t kDepthLimit = 100'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;
// The JIT's own stack: starts small, may grow to this size, then the run fails.
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 1024 * 1024;
// What the GBK conversion reads bytes that are not valid GBK as.
constexpr char16_t kReplacementCharacter = 0xFFFD;

// Callers write a double quote inside a pattern as "#引号" (GBK bytes) when asked to.
const Text kQuoteEscape = "#\xD2\xFD\xBA\xC5";
const Text kDoubleQuote = "\"";

constexpr uint32_t kUnset = std::numeric_limits<uint32_t>::max();

// A destroyed matcher's subject buffers are kept for the thread's next one only up to this size:
// a single huge subject must not pin its memory for the rest of the run.
constexpr size_t kSpareBufferMaxBytes = 4 * 1024 * 1024;

// Compiled patterns kept per thread: the crawl runs the same few patterns over every page,
// and compiling plus JIT-compiling the posting pattern costs about as much as matching a page.
constexpr size_t kCompiledPatternsKept = 8;

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline PCRE2_SPTR16 sptr(const std::u16string& s) { return reinterpret_cast<PCRE2_SPTR16>(s.data()); }

using CodePtr = std::shared_ptr<pcre2_code>;

// False once the thread's engine is gone (a matcher destroyed later at thread exit must not
// touch it).
thread_local bool threadEngineAlive = false;


// What the matchers of one thread share: the limits, the JIT's stack (matchers of a thread
// never match at the same time) and the recently compiled patterns.
class ThreadEngine {
public:
    ThreadEngine() {
        compileContext_ = pcre2_compile_context_create(nullptr);
        if (compileContext_) pcre2_set_newline(compileContext_, PCRE2_NEWLINE_LF);  // "." takes CR
        threadEngineAlive = true;
        matchContext_ = pcre2_match_context_create(nullptr);
        if (matchContext_) {
            pcre2_set_match_limit(matchContext_, kMatchLimit);
            pcre2_set_depth_limit(matchContext_, kDepthLimit);
            pcre2_set_heap_limit(matchContext_, kHeapLimitKiB);
            jitStack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
            if (jitStack_) pcre2_jit_stack_assign(matchContext_, nullptr, jitStack_);
        }
    }
    ~ThreadEngine() {
        threadEngineAlive = false;
        cache_.clear();
        if (matchContext_) pcre2_match_context_free(matchContext_);
        if (jitStack_) pcre2_jit_stack_free(jitStack_);
        if (compileContext_) pcre2_compile_context_free(compileContext_);
    }
    ThreadEngine(const ThreadEngine&) = delete;
    ThreadEngine& operator=(const ThreadEngine&) = delete;

    pcre2_match_context* matchContext() const { return matchContext_; }

    // Subject buffers of destroyed matchers, kept for the next one: a page's UTF-16 form is a
    // few hundred kilobytes, and fresh memory of that size costs more in page faults than the
    // conversion itself.
    std::u16string spareWide;
    Text spareGbk;

    // The compiled (and, where the JIT is available, JIT-compiled) pattern; null when invalid.
    CodePtr compile(const std::u16string& pattern, uint32_t options) {
        for (size_t i = 0; i < cache_.size(); ++i) {
            if (cache_[i].options == options && cache_[i].pattern == pattern) {
                if (i != 0) std::rotate(cache_.begin(), cache_.begin() + i, cache_.begin() + i + 1);
                return cache_.front().code;
            }
        }
        if (!compileContext_ || !matchContext_) return nullptr;
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        pcre2_code* raw =
            pcre2_compile(sptr(pattern), pattern.size(), options, &error, &errorOffset, compileContext_);
        if (!raw) return nullptr;
        pcre2_jit_compile(raw, PCRE2_JIT_COMPLETE);  // without the JIT the interpreter runs
        CodePtr code(raw, pcre2_code_free);
        if (cache_.size() == kCompiledPatternsKept) cache_.pop_back();
        cache_.insert(cache_.begin(), Entry{pattern, options, code});
        return code;
    }

private:
    struct Entry {
        std::u16string pattern;
        uint32_t options;
        CodePtr code;
    };
    pcre2_compile_context* compileContext_ = nullptr;
    pcre2_match_context* matchContext_ = nullptr;
    pcre2_jit_stack* jitStack_ = nullptr;
    std::vector<Entry> cache_;
};

ThreadEngine& threadEngine() {
    thread_local ThreadEngine engine;
    return engine;
}

}  // namespace

struct RegexMatcher::State {
    bool executed = false;   // an execute() happened (pattern() then reports it)
    bool succeeded = false;  // the last run produced a match collection
    bool global = true;
    Text pattern;            // after quote-escape replacement
    Text subject;            // GBK, as given
    std::u16string subject16;
    // GBK byte offset of every kUtf16CheckpointStride-th unit of subject16.
    std::vector<uint32_t> checkpoints;
    CodePtr code;            // null before a run and after a failed one
    uint32_t captureCount = 0;
    // Per match, (captureCount + 1) start/end pairs in UTF-16 units; kUnset for a group that
    // did not take part.
    std::vector<uint32_t> offsets;
    size_t matches = 0;

    ~State() {
        if (!threadEngineAlive) return;
        ThreadEngine& engine = threadEngine();
        if (subject16.capacity() > engine.spareWide.capacity() &&
            subject16.capacity() * sizeof(char16_t) <= kSpareBufferMaxBytes)
            engine.spareWide.swap(subject16);
        if (subject.capacity() > engine.spareGbk.capacity() && subject.capacity() <= kSpareBufferMaxBytes)
            engine.spareGbk.swap(subject);
    }

    void clear() {
        code.reset();
        succeeded = false;
        captureCount = 0;
        offsets.clear();
        matches = 0;
    }

    // Takes the thread's spare buffers when they are larger than this matcher's own.
    void reuseBuffers(ThreadEngine& engine) {
        if (engine.spareWide.capacity() > subject16.capacity()) engine.spareWide.swap(subject16);
        if (engine.spareGbk.capacity() > subject.capacity()) engine.spareGbk.swap(subject);
    }

    // Pair index of group g (0 = whole match) of match m (0-based), or nullptr when absent.
    const uint32_t* pairOf(int match, int group) const {
        if (!succeeded || match < 1 || static_cast<size_t>(match) > matches || group < 0 ||
            static_cast<uint32_t>(group) > captureCount)
            return nullptr;
        const size_t stride = 2 * (static_cast<size_t>(captureCount) + 1);
        const uint32_t* pair = offsets.data() + (static_cast<size_t>(match) - 1) * stride + 2 * group;
        if (pair[0] == kUnset) return nullptr;
        return pair;
    }

    // The GBK byte offset where UTF-16 unit u of the subject starts (the subject's length for
    // the end).
    size_t byteOffset(uint32_t u) const {
        if (u >= subject16.size()) return subject.size();
        size_t b = checkpoints[u / text::kUtf16CheckpointStride];
        for (uint32_t k = u % text::kUtf16CheckpointStride; k > 0; --k) b += text::gbkUnitBytes(subject, b);
        return b;
    }

    // The text of a UTF-16 range of the subject as GBK. For valid GBK that is the subject's own
    // bytes, cut without a conversion. Bytes that were not valid GBK were read as U+FFFD; such
    // a range is converted back instead, so they come out as "?": a text handed on from here
    // (a table cell, say) is always whole GBK characters, and a stray lead byte at its end
    // cannot join with whatever is written after it.
    Text textOf(const uint32_t* pair, int* position) const {
        if (!pair) {
            if (position) *position = -2;
            return Text();
        }
        const size_t begin = byteOffset(pair[0]);
        const size_t end = pair[1] <= pair[0] ? begin : byteOffset(pair[1]);
        if (position) *position = static_cast<int>(begin);
        if (pair[1] > pair[0]) {
            const std::u16string_view units(subject16.data() + pair[0], pair[1] - pair[0]);
            if (units.find(kReplacementCharacter) != std::u16string_view::npos) return text::fromUtf16(units);
        }
        return subject.substr(begin, end - begin);
    }

    // Appends the replacement text for match m (1-based, bytes begin .. end of the subject):
    // $1 .. $99 a group ("" when it did not take part; two digits only when that group exists),
    // $0 and $& the match, $` the subject before it, $' the subject after it, $$ one dollar.
    // Any other dollar, a reference to a group the pattern does not have included, stays as
    // written.
    void appendReplacement(Text& out, const Text& replacement, int m, size_t begin, size_t end) const {
        const size_t n = replacement.size();
        size_t i = 0;
        while (i < n) {
            const char c = replacement[i];
            const char next = i + 1 < n ? replacement[i + 1] : '\0';
            if (c != '$' || i + 1 >= n) {
                out.push_back(c);
                ++i;
            } else if (next == '$') {
                out.push_back('$');
                i += 2;
            } else if (next == '&') {
                out.append(subject, begin, end - begin);
                i += 2;
            } else if (next == '`') {
                out.append(subject, 0, begin);
                i += 2;
            } else if (next == '\'') {
                out.append(subject, end, Text::npos);
                i += 2;
            } else if (isDigit(next)) {
                const uint32_t one = static_cast<uint32_t>(next - '0');
                const bool hasSecond = i + 2 < n && isDigit(replacement[i + 2]);
                const uint32_t two = hasSecond ? one * 10 + static_cast<uint32_t>(replacement[i + 2] - '0') : 0;
                if (hasSecond && two >= 1 && two <= captureCount) {
                    out.append(textOf(pairOf(m, static_cast<int>(two)), nullptr));
                    i += 3;
                } else if (one <= captureCount) {
                    out.append(one == 0 ? subject.substr(begin, end - begin)
                                        : textOf(pairOf(m, static_cast<int>(one)), nullptr));
                    i += 2;
                } else {
                    out.push_back(c);
                    ++i;
                }
            } else {
                out.push_back(c);
                ++i;
            }
        }
    }

    // Runs the compiled pattern over the whole subject, collecting all non-overlapping matches
    // (or the first one). False when matching failed (a limit was hit, or any other error).
    bool collect(pcre2_match_data* md, pcre2_match_context* matchContext) {
        const PCRE2_SIZE length = subject16.size();
        const PCRE2_SPTR16 s = sptr(subject16);
        PCRE2_SIZE start = 0;
        uint32_t options = 0;
        const size_t pairs = static_cast<size_t>(captureCount) + 1;
        while (start <= length) {
            const int rc = pcre2_match(code.get(), s, length, start, options | PCRE2_NO_UTF_CHECK, md,
                                       matchContext);
            if (rc == PCRE2_ERROR_NOMATCH) {
                if (options == 0) break;
                // No non-empty match at this point after an empty one: step one character on.
                options = 0;
                ++start;
                if (start < length && (s[start] & 0xFC00) == 0xDC00) ++start;
                continue;
            }
            if (rc < 0) return false;
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
            for (size_t k = 0; k < pairs; ++k) {
                const bool set = static_cast<size_t>(rc) > k && ov[2 * k] != PCRE2_UNSET;
                offsets.push_back(set ? static_cast<uint32_t>(ov[2 * k]) : kUnset);
                offsets.push_back(set ? static_cast<uint32_t>(ov[2 * k + 1]) : kUnset);
            }
            ++matches;
            if (!global) break;
            // \K can end a match before its start; never move backwards.
            const PCRE2_SIZE end = ov[1] > ov[0] ? ov[1] : ov[0];
            options = (end == ov[0]) ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
            start = end;
            if (start == length && options != 0) break;  // an empty match at the very end
        }
        return true;
    }
};

RegexMatcher::RegexMatcher() : state_(std::make_unique<State>()) {}
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::execute(const Text& pattern, const Text& subject, bool caseSensitive,
                           bool multiLine, bool global, bool quoteEscapes) {
    State& st = *state_;
    st.clear();
    st.executed = true;
    st.global = global;
    st.pattern = quoteEscapes ? text::replace(pattern, kQuoteEscape, kDoubleQuote, 1, -1, true) : pattern;
    ThreadEngine& engine = threadEngine();
    st.reuseBuffers(engine);
    st.subject.assign(subject);
    text::toUtf16(subject, st.subject16, st.checkpoints);

    // Our own conversion only produces well-formed UTF-16, so PCRE2 need not check it.
    const std::u16string pattern16 = text::toUtf16(st.pattern);
    uint32_t options = PCRE2_UTF | PCRE2_NO_UTF_CHECK;
    if (!caseSensitive) options |= PCRE2_CASELESS;
    if (multiLine) options |= PCRE2_MULTILINE;
    st.code = engine.compile(pattern16, options);
    if (!st.code) return false;
    pcre2_pattern_info(st.code.get(), PCRE2_INFO_CAPTURECOUNT, &st.captureCount);

    pcre2_match_data* md = pcre2_match_data_create_from_pattern(st.code.get(), nullptr);
    if (!md) {
        st.clear();
        return false;
    }
    const bool ok = st.collect(md, engine.matchContext());
    pcre2_match_data_free(md);
    if (!ok) {
        st.clear();  // a failed run leaves no matches
        return false;
    }
    st.succeeded = true;
    return true;
}

Text RegexMatcher::pattern() const { return state_->executed ? state_->pattern : Text(); }

Text RegexMatcher::replace(const Text& replacement) const {
    const State& st = *state_;
    if (!st.succeeded) return Text();
    Text out;
    out.reserve(st.subject.size());
    size_t copied = 0;  // st.subject[0 .. copied) is already in out
    for (size_t i = 1; i <= st.matches; ++i) {
        const uint32_t* whole = st.pairOf(static_cast<int>(i), 0);
        const size_t begin = std::max(copied, st.byteOffset(whole[0]));
        const size_t end = std::max(begin, st.byteOffset(whole[1]));
        out.append(st.subject, copied, begin - copied);
        st.appendReplacement(out, replacement, static_cast<int>(i), begin, end);
        copied = end;
    }
    out.append(st.subject, copied, Text::npos);
    return out;
}

int RegexMatcher::matchCount() const {
    return state_->succeeded ? static_cast<int>(state_->matches) : 0;
}

Text RegexMatcher::matchText(int match, int* position) const {
    return state_->textOf(state_->pairOf(match, 0), position);
}

Text RegexMatcher::groupText(int match, int group, int* position) const {
    if (group < 1) {
        if (position) *position = -2;
        return Text();
    }
    return state_->textOf(state_->pairOf(match, group), position);
}

int RegexMatcher::groupCount() const {
    return state_->succeeded && state_->matches > 0 ? static_cast<int>(state_->captureCount) : 0;
}
