#include "conversion/BodyLineChecker.h"

#include <algorithm>
#include <array>

#include "base/TextOps.h"

namespace quillshift {

namespace {

using Kind = PascalTokenizer::Kind;
using State = PascalTokenizer::State;
using Span = PascalTokenizer::Span;
using Call = BodyLineChecker::Call;

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kRequiresANewer = "REQUIRES A NEWER";

// Sorts by `key`, keeping the order of equal elements; a few (the common case) without the
// buffer that std::stable_sort allocates.
template <typename Iterator, typename Key>
void sortByKey(Iterator first, Iterator last, Key key) {
    constexpr std::ptrdiff_t kFew = 16;
    if (last - first > kFew) {
        std::stable_sort(first, last,
                         [&](const auto& x, const auto& y) { return key(x) < key(y); });
        return;
    }
    for (Iterator i = first; i != last; ++i) {
        for (Iterator j = i; j != first && key(*j) < key(*(j - 1)); --j) {
            std::iter_swap(j, j - 1);
        }
    }
}

// The version message as a call, without the fixed line's indentation and ";".
constexpr std::string_view kVersionMessageCall =
    kVersionMessageLine.substr(2, kVersionMessageLine.size() - 3);

// Per keyword, in BodyKeyword order (ShowMessage has none of these).
struct KeywordMessages {
    std::string_view wrongSplit;
    std::string_view wrongSplitFromComment;
    std::string_view continues;
    std::string_view secondCall;
    std::string_view inIdentifier;
    std::string_view inString;
    std::string_view overridden;
};

constexpr std::array<KeywordMessages, 3> kMessages{{
    {
        "The GetPicture rule cut the line at a comma or parenthesis that is not the call's own "
        "(it is inside a nested call or a string, or after the call), so it removed the wrong "
        "text; check the call's arguments.",
        "The GetPicture rule found the name in a comment and cut the code after it at a comma "
        "and a parenthesis; check the line.",
        "The GetPicture call's argument list does not close on this line, so the rule left it "
        "unchanged or cut it short; convert the call by hand.",
        "GetPicture is called again later on this line, and only the first call was rewritten; "
        "check the other call.",
        "GetPicture was found inside a longer name, and the rule rewrote the line as if it were "
        "the call; check the line.",
        "GetPicture was found inside a string literal, and the rule changed the script's text; "
        "check the line.",
        "The GetPicture rewrite of this line was thrown away because a later rule matched the "
        "line too; check the GetPicture call.",
    },
    {
        "",
        "",
        "The DisplayResults call's argument list does not close on this line, so the rule "
        "commented out only its start; convert the call by hand.",
        "DisplayResults is called again later on this line, and that call was not commented "
        "out; check it.",
        "DisplayResults was found inside a longer name, and the rule commented out the line "
        "from there on; check the line.",
        "DisplayResults was found inside a string literal, and the rule put // into the string; "
        "check the line.",
        "The DisplayResults rewrite of this line was thrown away because a later rule matched "
        "the line too; check the DisplayResults call.",
    },
    {
        "The CheckVersion rule replaced the text between parentheses that are not the call's own "
        "(inside a nested call or a string, or after the call), so it changed the wrong text; "
        "check the call's arguments.",
        "The CheckVersion rule found the name in a comment and replaced code after it between "
        "parentheses; check the line.",
        "The CheckVersion call's argument list does not close on this line, so the rule left it "
        "unchanged or cut it short; convert the call by hand.",
        "CheckVersion is called again later on this line, and only the first call was "
        "rewritten; check the other call.",
        "CheckVersion was found inside a longer name, and the rule rewrote the line as if it "
        "were the call; check the line.",
        "CheckVersion was found inside a string literal, and the rule changed the script's text; "
        "check the line.",
        "The CheckVersion rewrite of this line was thrown away because a later rule matched the "
        "line too; check the CheckVersion call.",
    },
}};

constexpr std::string_view kCodeCommentedOut =
    "Code after the DisplayResults call is now inside the // comment and no longer runs; check "
    "the rest of the line.";
constexpr std::string_view kCommentOpenerCommentedOut =
    "A comment that opens after the DisplayResults call and goes on over the next lines now "
    "starts inside the // comment, so those lines become code; check them.";
constexpr std::string_view kDanglingStatement =
    "DisplayResults was the statement of a then, else, do or case label on this line; "
    "commented out, it leaves the next line's statement governed instead; check the condition.";
constexpr std::string_view kMessageCodeLost =
    "The version message replaced the whole line, and what stood on it besides the "
    "ShowMessage(...); statement is lost; check the line.";
constexpr std::string_view kMessageContinues =
    "The version message replaced a ShowMessage call that continues on the next line, which is "
    "left behind; check the following lines.";
constexpr std::string_view kMessageWithoutSemicolon =
    "The version message replaced a ShowMessage call that had no ';' of its own and added one, "
    "which breaks a following else; check the next line.";
constexpr std::string_view kMessageNotInCall =
    "The version message replaced a line whose ShowMessage or message text stood in a comment, "
    "a string or another name, and it now runs as code; check the line.";

constexpr std::array<bool, 256> kWordBytes = [] {
    std::array<bool, 256> word{};
    for (int c = 0; c < 256; ++c) {
        word[static_cast<std::size_t>(c)] =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }
    return word;
}();

// The bytes that count in an argument list: parentheses and commas.
constexpr std::array<bool, 256> kListBytes = [] {
    std::array<bool, 256> list{};
    list['('] = list[')'] = list[','] = true;
    return list;
}();

bool isWordByte(char c) {
    return kWordBytes[static_cast<unsigned char>(c)];
}

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

BodyRule ruleOf(BodyKeyword keyword) {
    switch (keyword) {
        case kGetPicture:
            return BodyRule::GetPicture;
        case kDisplayResults:
            return BodyRule::DisplayResults;
        case kCheckVersion:
            return BodyRule::CheckVersion;
        default:
            return BodyRule::VersionMessage;
    }
}

// Where an occurrence of a keyword stands.
enum class Place { AsCall, Identifier, String, Comment };

// Reading a line that has been split into spans.
class SplitLine {
public:
    SplitLine(std::string_view line, const std::vector<Span>& spans) : line_(line), spans_(spans) {}

    std::size_t size() const { return line_.size(); }

    const Span& spanAt(std::size_t pos) const {
        if (spans_.size() == 1) {
            return spans_.front();  // most lines with a call: code only
        }
        return *std::upper_bound(spans_.begin(), spans_.end(), pos,
                                 [](std::size_t p, const Span& s) { return p < s.end; });
    }

    bool isCode(std::size_t pos) const { return spanAt(pos).kind == Kind::Code; }

    // The first position at or after `pos` that is neither a blank in code nor in a comment;
    // the line's size when there is none.
    std::size_t nextSignificant(std::size_t pos) const {
        while (pos < line_.size()) {
            const Span& span = spanAt(pos);
            if (span.kind == Kind::Comment) {
                pos = span.end;
            } else if (span.kind == Kind::Code && isBlank(line_[pos])) {
                ++pos;
            } else {
                return pos;
            }
        }
        return line_.size();
    }

    // The last position before `pos` that is neither a blank in code nor in a comment; npos.
    std::size_t previousSignificant(std::size_t pos) const {
        while (pos > 0) {
            const Span& span = spanAt(pos - 1);
            if (span.kind == Kind::Comment) {
                pos = span.begin;
            } else if (span.kind == Kind::Code && isBlank(line_[pos - 1])) {
                --pos;
            } else {
                return pos - 1;
            }
        }
        return npos;
    }

    // The first occurrence of `name` (upper case) in any letter case at or after `from` that
    // stands in code; npos when there is none.
    std::size_t nextInCode(std::size_t from, std::string_view name) const {
        if (from >= line_.size()) {
            return npos;
        }
        const char lower = text::lowerAscii(name.front());
        auto span = std::upper_bound(spans_.begin(), spans_.end(), from,
                                     [](std::size_t p, const Span& s) { return p < s.end; });
        for (; span != spans_.end(); ++span) {
            if (span->kind != Kind::Code || span->end - std::max(span->begin, from) < name.size()) {
                continue;
            }
            const std::string_view code = line_.substr(0, span->end);
            for (std::size_t i = std::max(span->begin, from); i + name.size() <= span->end; ++i) {
                // Setting bit 5 lower-cases a letter; the full comparison tells the rest apart.
                if ((code[i] | 0x20) == lower && text::matchesIgnoringAsciiCase(code, i, name)) {
                    return i;
                }
            }
        }
        return npos;
    }

    Place placeOf(std::size_t at, std::size_t length) const {
        switch (spanAt(at).kind) {
            case Kind::String:
                return Place::String;
            case Kind::Comment:
                return Place::Comment;
            case Kind::Code:
                break;
        }
        const std::size_t after = at + length;
        const bool inName = (at > 0 && isWordByte(line_[at - 1])) ||
                            (after < line_.size() && isWordByte(line_[after]));
        return inName ? Place::Identifier : Place::AsCall;
    }

    // The call whose name is at [at, at + length), and where its own argument list opens, if it
    // has one; resolveLists finds where the lists close.
    Call parseCall(std::size_t at, std::size_t length, bool needsArguments) const {
        Call call;
        call.at = at;
        call.end = at + length;
        const std::size_t p = nextSignificant(call.end);
        if (p == line_.size()) {
            call.continues = needsArguments;  // its arguments may come on the next line
        } else if (line_[p] == '(' && isCode(p)) {
            call.open = p;
        }
        return call;
    }

    // Finds the first top-level comma and the closing parenthesis of each call's own argument
    // list, `calls` being ordered by their opening parenthesis, in one pass over the code from
    // the first of them: nested calls cost no second look at their text. A list that does not
    // close on the line continues.
    void resolveLists(const std::vector<Call*>& calls,
                      std::vector<BodyLineChecker::OpenList>& open) const {
        open.clear();
        auto next = calls.begin();
        long depth = 0;
        const std::size_t from = calls.front()->open;
        auto span = std::upper_bound(spans_.begin(), spans_.end(), from,
                                     [](std::size_t q, const Span& s) { return q < s.end; });
        for (; span != spans_.end() && (next != calls.end() || !open.empty()); ++span) {
            if (span->kind != Kind::Code) {
                continue;
            }
            for (std::size_t i = std::max(span->begin, from); i < span->end; ++i) {
                while (i < span->end && !kListBytes[static_cast<unsigned char>(line_[i])]) {
                    ++i;
                }
                if (i == span->end) {
                    break;
                }
                const char c = line_[i];
                if (c == '(') {
                    if (next != calls.end() && (*next)->open == i) {
                        open.push_back({*next++, depth});
                    }
                    ++depth;
                } else if (c == ')') {
                    --depth;
                    if (closesLastList(open, depth, i) && next == calls.end()) {
                        return;  // every list is resolved
                    }
                } else if (c == ',' && !open.empty() && open.back().depth + 1 == depth &&
                           open.back().call->comma == npos) {
                    open.back().call->comma = i;
                }
            }
        }
        for (const BodyLineChecker::OpenList& o : open) {
            o.call->continues = true;
        }
    }

private:
    // Closes the innermost open list with the ")" at `i` when that ")" is at the list's own
    // `depth`; true when that was the last open list.
    static bool closesLastList(std::vector<BodyLineChecker::OpenList>& open, long depth,
                               std::size_t i) {
        if (open.empty() || open.back().depth != depth) {
            return false;
        }
        open.back().call->close = i;
        open.back().call->end = i + 1;
        open.pop_back();
        return open.empty();
    }

    std::string_view line_;
    const std::vector<Span>& spans_;
};

// The line with each comment replaced by one blank: what the script's code is made of.
void skeletonOf(std::string_view line, const std::vector<Span>& spans, std::string& out) {
    out.clear();
    for (const Span& span : spans) {
        if (span.kind == Kind::Comment) {
            out.push_back(' ');
        } else {
            out.append(line.substr(span.begin, span.end - span.begin));
        }
    }
}

}  // namespace

void BodyLineChecker::warn(WarningCode code, std::size_t at, std::string_view message,
                           bool repairable) {
    warnings_->push_back({lineNumber_, at + 1, code, message, repairable, false});
}

void BodyLineChecker::findCalls() {
    const SplitLine split(line_, spans_);
    withLists_.clear();
    for (std::size_t keyword = 0; keyword < kBodyKeywordCount; ++keyword) {
        std::vector<Call>& calls = calls_[keyword];
        calls.clear();
        if (matches_->keywords[keyword] == npos) {
            continue;
        }
        const std::string_view name = kBodyKeywords[keyword];
        // The first occurrence may stand anywhere; the later ones count only in code.
        for (std::size_t at = matches_->keywords[keyword]; at != npos;
             at = split.nextInCode(at + name.size(), name)) {
            if (split.placeOf(at, name.size()) == Place::AsCall) {
                calls.push_back(split.parseCall(at, name.size(), keyword != kDisplayResults));
            }
        }
        for (Call& call : calls) {
            if (call.open != npos) {
                withLists_.push_back(&call);
            }
        }
    }
    if (withLists_.empty()) {
        return;
    }
    if (withLists_.size() > 1) {
        std::sort(withLists_.begin(), withLists_.end(),
                  [](const Call* a, const Call* b) { return a->open < b->open; });
    }
    split.resolveLists(withLists_, openLists_);
}

bool BodyLineChecker::holdsVersionWords(const Call& call) {
    // Calls are asked about in line order, so the search goes on from where it stood and reads
    // each byte once however many calls there are.
    if (wordsAt_ != npos && wordsAt_ < call.open) {
        const std::size_t found =
            text::findIgnoringAsciiCase(line_.substr(call.open), kRequiresANewer);
        wordsAt_ = found == npos ? npos : call.open + found;
    }
    const std::size_t end = call.continues ? line_.size() : call.close + 1;
    return wordsAt_ != npos && wordsAt_ + kRequiresANewer.size() <= end;
}

namespace {

bool needsChange(BodyKeyword keyword, const Call& call, std::string_view line) {
    if (call.continues) {
        return false;
    }
    switch (keyword) {
        case kGetPicture:
            return call.comma != npos;
        case kCheckVersion:
            return call.close != npos &&
                   line.substr(call.open + 1, call.close - call.open - 1) != kCheckVersionArguments;
        case kDisplayResults:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool BodyLineChecker::rewriteIsHarmless() {
    const State convertedEnd = PascalTokenizer::split(converted_, startState_, otherSpans_);
    skeletonOf(line_, spans_, skeleton_);
    skeletonOf(converted_, otherSpans_, otherSkeleton_);
    return convertedEnd == endState_ && skeleton_ == otherSkeleton_;
}

void BodyLineChecker::checkCut(BodyKeyword keyword, std::size_t cutFrom, std::size_t cutTo) {
    const std::size_t k = matches_->keywords[keyword];
    const std::vector<Call>& calls = calls_[keyword];
    const KeywordMessages& messages = kMessages[keyword];
    // The rule took the first "," (or "(") after the first occurrence of the name and the first ")"
    // after that. When those are some call's own, the calls before it needed no change and the
    // rewrite is right, wherever that first occurrence stood.
    const Call* rewritten = nullptr;
    for (const Call& call : calls) {
        const std::size_t ownFrom = keyword == kGetPicture ? call.comma : call.open;
        if (!call.continues && ownFrom == cutFrom && call.close == cutTo) {
            rewritten = &call;
            break;
        }
    }
    // A cut that changed only the inside of comments is harmless, but it leaves the call at the
    // first occurrence as it was.
    const bool harmful = rewritten == nullptr && converted_ != line_ && !rewriteIsHarmless();
    const SplitLine split(line_, spans_);
    const Place place = split.placeOf(k, kBodyKeywords[keyword].size());
    if (place == Place::AsCall) {
        const Call& call = calls.front();
        if (!rewritten && !call.continues && (harmful || needsChange(keyword, call, line_))) {
            warn(WarningCode::WrongArgumentSplit, k, messages.wrongSplit, true);
        }
    } else if (harmful) {
        switch (place) {
            case Place::AsCall:
                break;
            case Place::Identifier:
                warn(WarningCode::KeywordInIdentifier, k, messages.inIdentifier, true);
                break;
            case Place::String:
                warn(WarningCode::RewriteInString, k, messages.inString, true);
                break;
            case Place::Comment:
                warn(WarningCode::WrongArgumentSplit, k, messages.wrongSplitFromComment, true);
                break;
        }
    }
    for (const Call& call : calls) {
        const bool cutAway = rewritten == nullptr && call.at >= cutFrom && call.at < cutTo;
        if (&call == rewritten || call.at == k || cutAway || !needsChange(keyword, call, line_)) {
            continue;
        }
        warn(WarningCode::SecondCallNotRewritten, call.at, messages.secondCall, true);
    }
}

namespace {

// What follows a DisplayResults call on its line.
enum class Follow { Nothing, Code, RunningComment };

Follow whatFollows(const SplitLine& split, std::string_view line, const Call& call,
                   State endState) {
    std::size_t p = split.nextSignificant(call.end);
    while (p < line.size() && line[p] == ';' && split.isCode(p)) {
        p = split.nextSignificant(p + 1);  // the call's own ";" (and empty statements)
    }
    if (p < line.size()) {
        return Follow::Code;
    }
    // A comment still open at the end began after the call: one before it would hold the call.
    return endState == State::Code ? Follow::Nothing : Follow::RunningComment;
}

// True when the call is the statement of a then, else or do, or of a case label, on its line.
bool isGoverned(const SplitLine& split, std::string_view line, const Call& call) {
    const std::size_t q = split.previousSignificant(call.at);
    if (q == npos || !split.isCode(q)) {
        return false;
    }
    if (line[q] == ':') {
        return true;
    }
    std::size_t start = q + 1;
    while (start > 0 && isWordByte(line[start - 1]) && split.isCode(start - 1)) {
        --start;
    }
    const std::string_view word = line.substr(start, q + 1 - start);
    return text::equalsIgnoringAsciiCase(word, "THEN") ||
           text::equalsIgnoringAsciiCase(word, "ELSE") || text::equalsIgnoringAsciiCase(word, "DO");
}

bool canWrap(std::string_view line, const Call& call) {
    return line.substr(call.at, call.end - call.at).find('}') == npos;
}

}  // namespace

void BodyLineChecker::checkDisplayResults() {
    const std::size_t k = matches_->keywords[kDisplayResults];
    const std::vector<Call>& calls = calls_[kDisplayResults];
    const KeywordMessages& messages = kMessages[kDisplayResults];
    const SplitLine split(line_, spans_);
    switch (split.placeOf(k, kBodyKeywords[kDisplayResults].size())) {
        case Place::AsCall: {
            const Call& call = calls.front();
            if (call.continues) {
                return;  // reported as continuing
            }
            const Follow follow = whatFollows(split, line_, call, endState_);
            const bool wrappable = canWrap(line_, call);
            if (follow != Follow::Nothing) {
                warn(WarningCode::CodeCommentedOut, call.at,
                     follow == Follow::Code ? kCodeCommentedOut : kCommentOpenerCommentedOut,
                     wrappable);
            }
            if (isGoverned(split, line_, call)) {
                warn(WarningCode::DanglingStatement, call.at, kDanglingStatement, wrappable);
            }
            return;  // what follows is commented out with it
        }
        case Place::Identifier:
            warn(WarningCode::KeywordInIdentifier, k, messages.inIdentifier, true);
            return;  // what follows is commented out with it
        case Place::String:
            warn(WarningCode::RewriteInString, k, messages.inString, true);
            break;
        case Place::Comment:
            break;  // harmless: // inside a comment
    }
    for (const Call& call : calls) {
        if (!call.continues) {
            warn(WarningCode::SecondCallNotRewritten, call.at, messages.secondCall, true);
        }
    }
}

void BodyLineChecker::checkVersionMessage() {
    const Call* message = nullptr;
    std::size_t messageCalls = 0;
    bool continues = false;
    wordsAt_ = matches_->requiresANewer;
    for (const Call& call : calls_[kShowMessage]) {
        if (call.open == npos) {
            continue;
        }
        if (!holdsVersionWords(call)) {
            continue;
        }
        ++messageCalls;
        continues = continues || call.continues;
        if (!message) {
            message = &call;
        }
    }
    if (!message) {
        warn(WarningCode::LineReplaced, matches_->keywords[kShowMessage], kMessageNotInCall, true);
        return;
    }
    if (continues) {
        warn(WarningCode::LineReplaced, message->at, kMessageContinues, false);
        return;
    }
    // The fixed line stands for exactly one ShowMessage(...); statement: anything else on the line
    // but blanks and comments that close on it is lost.
    bool other = messageCalls > 1 || startState_ != State::Code || endState_ != State::Code;
    bool semicolon = false;
    for (const Span& span : spans_) {
        if (other) {
            break;
        }
        if (span.kind == Kind::Comment || (span.begin >= message->at && span.end <= message->end)) {
            continue;
        }
        if (span.kind == Kind::String) {
            other = true;
            break;
        }
        for (std::size_t i = span.begin; i < span.end && !other; ++i) {
            if (i >= message->at && i < message->end) {
                continue;
            }
            const char c = line_[i];
            if (isBlank(c)) {
                continue;
            }
            if (c == ';' && i >= message->end) {
                semicolon = true;  // its own, or an empty statement after it
            } else {
                other = true;
            }
        }
    }
    if (other) {
        warn(WarningCode::LineReplaced, message->at, kMessageCodeLost, true);
    } else if (!semicolon) {
        warn(WarningCode::LineReplaced, message->at, kMessageWithoutSemicolon, true);
    }
}

void BodyLineChecker::checkOverridden(BodyRule standing) {
    const bool getPicture = matches_->getPictureClose != npos;
    const bool displayResults = matches_->keywords[kDisplayResults] != npos;
    const bool checkVersion = matches_->checkVersionClose != npos;
    const int matched = static_cast<int>(getPicture) + static_cast<int>(displayResults) +
                        static_cast<int>(checkVersion) + static_cast<int>(matches_->versionMessage);
    if (matched < 2) {
        return;  // the common line: one rule matched
    }
    // After a DisplayResults rewrite at code, the rest of the line is a comment anyway.
    const std::size_t k = matches_->keywords[kDisplayResults];
    const bool slashInCode =
        standing == BodyRule::DisplayResults && SplitLine(line_, spans_).isCode(k);
    for (const BodyKeyword keyword : {kGetPicture, kDisplayResults, kCheckVersion}) {
        const BodyRule rule = ruleOf(keyword);
        if (rule == standing || !matches_->matched(rule)) {
            continue;
        }
        for (const Call& call : calls_[keyword]) {
            if (needsChange(keyword, call, line_) && !(slashInCode && call.at > k)) {
                warn(WarningCode::RuleOverridden, call.at, kMessages[keyword].overridden, true);
                break;
            }
        }
    }
}

void BodyLineChecker::repair(std::string& repaired) {
    edits_.clear();
    for (const Call& call : calls_[kGetPicture]) {
        if (needsChange(kGetPicture, call, line_)) {
            edits_.push_back({call.comma, call.close, {}, false});
        }
    }
    for (const Call& call : calls_[kCheckVersion]) {
        if (needsChange(kCheckVersion, call, line_)) {
            edits_.push_back({call.open + 1, call.close, kCheckVersionArguments, false});
        }
    }
    std::size_t slashAt = npos;
    const SplitLine split(line_, spans_);
    for (const Call& call : calls_[kDisplayResults]) {
        if (call.continues) {
            continue;
        }
        if (whatFollows(split, line_, call, endState_) == Follow::Nothing &&
            !isGoverned(split, line_, call)) {
            edits_.push_back({call.at, call.at, "//", false});
            slashAt = call.at;
            break;
        }
        if (canWrap(line_, call)) {
            edits_.push_back({call.at, call.end, {}, true});
        }
    }
    if (matches_->versionMessage) {
        wordsAt_ = matches_->requiresANewer;
        for (const Call& call : calls_[kShowMessage]) {
            if (call.open != npos && !call.continues && holdsVersionWords(call)) {
                edits_.push_back({call.at, call.close + 1, kVersionMessageCall, false});
            }
        }
    }
    sortByKey(edits_.begin(), edits_.end(), [](const Edit& e) { return e.begin; });
    repaired.clear();
    std::size_t copied = 0;
    for (const Edit& edit : edits_) {
        // An edit inside another (a call nested in one whose text is replaced), or after the //
        // that comments out the rest of the line, is left out.
        if (edit.begin < copied || (slashAt != npos && edit.begin > slashAt)) {
            continue;
        }
        repaired.append(line_.substr(copied, edit.begin - copied));
        if (edit.wrap) {
            repaired.append("{")
                .append(line_.substr(edit.begin, edit.end - edit.begin))
                .append("}");
        } else {
            repaired.append(edit.text);
        }
        copied = edit.end;
    }
    repaired.append(line_.substr(copied));
}

BodyLineChecker::Outcome BodyLineChecker::check(std::size_t lineNumber, std::string_view line,
                                                State state, const BodyRuleMatches& matches,
                                                std::string_view converted,
                                                std::vector<ConversionWarning>& warnings) {
    const auto& at = matches.keywords;
    if (at[kGetPicture] == npos && at[kDisplayResults] == npos && at[kCheckVersion] == npos &&
        !matches.versionMessage) {
        // Nothing to check but how the line leaves the comments: most lines open none.
        const bool staysCode = state == State::Code && !matches.commentOpener;
        return {staysCode ? State::Code : PascalTokenizer::endState(line, state), {}};
    }
    lineNumber_ = lineNumber;
    line_ = line;
    converted_ = converted;
    startState_ = state;
    matches_ = &matches;
    warnings_ = &warnings;
    firstWarning_ = warnings.size();
    endState_ = PascalTokenizer::split(line, state, spans_);
    findCalls();

    for (const BodyKeyword keyword : {kGetPicture, kDisplayResults, kCheckVersion}) {
        if (at[keyword] == npos) {
            continue;
        }
        for (const Call& call : calls_[keyword]) {
            if (call.continues) {
                warn(WarningCode::CallContinues, call.at, kMessages[keyword].continues, false);
            }
        }
    }
    const BodyRule standing = matches.standing();
    switch (standing) {
        case BodyRule::GetPicture:
            checkCut(kGetPicture, matches.getPictureComma, matches.getPictureClose);
            break;
        case BodyRule::CheckVersion:
            checkCut(kCheckVersion, matches.checkVersionOpen, matches.checkVersionClose);
            break;
        case BodyRule::DisplayResults:
            checkDisplayResults();
            break;
        case BodyRule::VersionMessage:
            checkVersionMessage();
            break;
        case BodyRule::None:
            break;
    }
    checkOverridden(standing);

    Outcome outcome{endState_, {}};
    if (warnings.size() == firstWarning_) {
        return outcome;
    }
    const auto first = warnings.begin() + static_cast<std::ptrdiff_t>(firstWarning_);
    sortByKey(first, warnings.end(), [](const ConversionWarning& w) { return w.column; });
    for (auto w = first; w != warnings.end(); ++w) {
        if (w->repairable) {
            outcome.repairNeeds.insert(w->code);
        }
    }
    return outcome;
}

}  // namespace quillshift
