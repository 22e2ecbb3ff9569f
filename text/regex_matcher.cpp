#include "text/regex_matcher.h"

// First cut: every run fails until the PCRE2 engine is wired in.
struct RegexMatcher::State {
    Text pattern;
};

RegexMatcher::RegexMatcher() : state_(std::make_unique<State>()) {}
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::execute(const Text& pattern, const Text&, bool, bool, bool, bool) {
    state_->pattern = pattern;
    return false;
}
Text RegexMatcher::pattern() const { return state_->pattern; }
Text RegexMatcher::replace(const Text&) const { return Text(); }
int RegexMatcher::matchCount() const { return 0; }
Text RegexMatcher::matchText(int, int* position) const {
    if (position) *position = -2;
    return Text();
}
Text RegexMatcher::groupText(int, int, int* position) const {
    if (position) *position = -2;
    return Text();
}
int RegexMatcher::groupCount() const { return 0; }
