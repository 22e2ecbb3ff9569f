#pragma once
// RegexMatcher: runs a regular expression over a GBK text and gives 1-based access to the
// matches and their groups.
//
// The subject is matched as characters (UTF-16), so "." is one Chinese character. Defaults:
// case-insensitive, multi-line, global. "." matches anything but a line feed; \d and \w are
// ASCII only. Failures are values: an invalid pattern (or a run that hits the engine's match
// or stack limit) makes execute() return false, after which matchCount() is 0 and every text
// is empty. Reading operations always refer to the last execute().

#include <memory>

#include "text/text.h"

class RegexMatcher {
public:
    RegexMatcher();
    ~RegexMatcher();
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // True when the run produced a match collection (possibly empty).
    bool execute(const Text& pattern, const Text& subject, bool caseSensitive = false,
                 bool multiLine = true, bool global = true, bool quoteEscapes = false);
    // The pattern of the last execute() after any quote-escape replacement; "" before one.
    Text pattern() const;
    // The subject with the matches of the last run replaced (all of them, or the first when it
    // was not global). In the replacement $1 .. $99 stand for groups, $& (or $0) for the match,
    // $` and $' for the subject before and after it, $$ for a dollar; any other dollar is kept.
    // "" after a failed run or before the first.
    Text replace(const Text& replacement) const;
    int matchCount() const;
    // position, when asked for: the 0-based byte offset in the subject of the returned text's
    // start, -2 when there is none.
    Text matchText(int match, int* position = nullptr) const;
    Text groupText(int match, int group, int* position = nullptr) const;
    // Capturing groups of the last pattern; 0 when there was no first match.
    int groupCount() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
