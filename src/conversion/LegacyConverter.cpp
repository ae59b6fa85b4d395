#include "conversion/LegacyConverter.h"

#include <array>

#include "base/TextOps.h"
#include "conversion/BodyRuleMatches.h"
#include "conversion/LanguageTable.h"
#include "conversion/ReelvaultSites.h"
#include "conversion/ScriptChecker.h"
#include "conversion/ScriptWriter.h"

namespace quillshift {

namespace {

constexpr std::string_view kProgramPrefix = "PROGRAM ";
constexpr std::string_view kDescriptionPrefix = "Movie importation script for ";

// Legacy header lines holding any of these (case-sensitive) are licence or site boilerplate that
// the converted header replaces. Several end in mid-word on purpose.
constexpr std::array<std::string_view, 15> kBoilerplatePhrases{
    "importation script for",
    "For use with Reelvault",
    sites::kScriptsSiteHost,
    sites::kReelvaultHost,
    "The source code of the script",
    "another program only",
    "script author and",
    "website are given",
    "the documentation of",
    "This program is fre",
    "redistribute it and",
    "terms of the GNU",
    "published by the Free",
    "either version 2",
    "option) any",
};

constexpr std::size_t npos = std::string_view::npos;

// "[Infos]" as a hand edit may leave it: any letter case, blanks inside the brackets, and a
// comment after them.
bool isInfosHeading(std::string_view t) {
    if (t.empty() || t.front() != '[') {
        return false;
    }
    const std::size_t close = t.find(']');
    if (close == npos ||
        !text::equalsIgnoringAsciiCase(text::trimView(t.substr(1, close - 1)), "Infos")) {
        return false;
    }
    const std::string_view rest = text::trimView(t.substr(close + 1));
    return rest.empty() || rest.front() == ';' || rest.front() == '#' || rest.starts_with("//");
}

}  // namespace

std::string_view bodyRuleName(BodyRule rule) {
    switch (rule) {
        case BodyRule::GetPicture:
            return "GetPicture";
        case BodyRule::DisplayResults:
            return "DisplayResults";
        case BodyRule::CheckVersion:
            return "CheckVersion";
        case BodyRule::VersionMessage:
            return "VersionMessage";
        case BodyRule::None:
            break;
    }
    return {};
}

LegacyConverter::LegacyConverter(ScriptProperties& properties, std::string* joinedComments)
    : properties_(properties), joinedComments_(joinedComments) {
    properties_.comments.clear();
}

LegacyConverter::~LegacyConverter() = default;

const std::vector<ConversionWarning> LegacyConverter::kNoWarnings;

void LegacyConverter::keepNotes(ConversionNotes& notes) {
    notes_ = &notes;
    if (checker_) {
        checker_->keepRepairedLines();
    }
}

void LegacyConverter::checkLines(WarningCodeSet fixes) {
    checker_ = std::make_unique<ScriptChecker>(fixes);
    lineWarnings_ = &checker_->warnings();
    if (notes_) {
        checker_->keepRepairedLines();
    }
}

void LegacyConverter::endOfInput() {
    if (checker_) {
        checker_->finish(inBody_);
        noteWarnings();
    }
}

void LegacyConverter::noteWarnings() {
    if (notes_) {
        const auto& warnings = checker_->warnings();
        notes_->warnings.insert(notes_->warnings.end(), warnings.begin(), warnings.end());
    }
}

bool LegacyConverter::convertLine(std::string_view line, std::string& scratch,
                                  std::string_view& out, BodyRule* rule, bool mayOpenComment) {
    // A header line may start the body when the repair of a program line that the rule missed
    // is asked for.
    if (!inBody_ &&
        (isProgramLine(line) || (checker_ && checker_->checkHeaderLine(index_ + 1, line)))) {
        inBody_ = true;
    }
    if (inBody_) {
        BodyRuleMatches matches = matchBodyRules(line, checker_ && mayOpenComment);
        if (!mayOpenComment) {
            matches.commentOpener = false;
        }
        const BodyRule applied = matches.standing();
        out = applyStandingRule(line, matches, scratch);
        if (rule) {
            *rule = applied;
        }
        if (checker_) {
            out = checker_->checkBodyLine(index_ + 1, line, matches, out);
        }
        if (notes_) {
            notes_->bodyRules.push_back(applied);
            if (checker_) {
                noteWarnings();
                if (!checker_->repairNeeds().empty()) {
                    const WarningCodeSet& needs = checker_->repairNeeds();
                    notes_->repairs.push_back({index_ + 1, checker_->repairedLine(), needs,
                                               out.data() == checker_->repairedLine().data()});
                }
            }
        }
    } else {
        const HeaderLineNote note = harvestHeaderLine(line);
        if (notes_) {
            notes_->header.push_back(note);
            if (checker_) {
                noteWarnings();
            }
        }
    }
    ++index_;
    return inBody_;
}

bool LegacyConverter::convertLine(std::string_view line, std::string& out, BodyRule* rule) {
    std::string_view converted;
    if (!convertLine(line, out, converted, rule)) {
        return false;
    }
    if (converted.data() != out.data()) {
        out.assign(converted);
    }
    return true;
}

bool LegacyConverter::isProgramLine(std::string_view line) {
    const std::string_view word = kProgramPrefix.substr(0, kProgramPrefix.size() - 1);
    return line.size() > word.size() && text::startsWithIgnoringAsciiCase(line, word) &&
           (line[word.size()] == ' ' || line[word.size()] == '\t');
}

HeaderLineNote LegacyConverter::harvestHeaderLine(std::string_view line) {
    std::string_view t = text::trimView(line);
    // Legacy headers may open with the same frame of asterisks as a converted one, so the frame
    // counts only with the converted header's empty second line and its third line below it.
    if (index_ == 0) {
        openedLikeConvertedHeader_ = t == kScriptHeaderOpening;
    } else if (index_ == 1) {
        openedLikeConvertedHeader_ = openedLikeConvertedHeader_ && t.empty();
    }
    const bool framedHeader = index_ == 2 && openedLikeConvertedHeader_ &&
                              text::equalsIgnoringAsciiCase(t, kScriptHeaderName);
    if (convertedMarkLine_ == 0 && (framedHeader || isInfosHeading(t))) {
        convertedMarkLine_ = index_ + 1;
    }
    if (index_ == 0) {
        return {HeaderUse::FirstLine};
    }
    if (index_ == 1) {
        // The title line: its first two characters are the comment opener ("{ ", "//", "(*").
        t = text::trimView(t.substr(t.size() < 2 ? t.size() : 2));
        properties_.title.assign(t);
        properties_.description.assign(kDescriptionPrefix).append(t);
        return {HeaderUse::Title};
    }
    if (t.find("*******", 1) != npos) {
        return {HeaderUse::Frame};
    }
    if (!t.empty() && t.front() == '*') {
        t.remove_prefix(1);
    }
    if (!t.empty() && t.back() == '*') {
        t.remove_suffix(1);
    }
    t = text::trimView(t);
    if (t.empty()) {
        return {HeaderUse::Empty};
    }

    // Searched in place rather than in an upper-cased copy: one header line may be huge.
    const auto containsIgnoringCase = [&](std::string_view upperWord) {
        return text::findIgnoringAsciiCase(t, upperWord) != npos;
    };
    HeaderLineNote note;
    const auto& languages = LanguageTable::rows();
    for (std::size_t i = 1; i < languages.size(); ++i) {
        if (containsIgnoringCase(languages[i].legacyTag)) {
            properties_.language = i;
            note.language = i;
            break;
        }
    }

    for (std::string_view phrase : kBoilerplatePhrases) {
        if (text::contains(t, phrase)) {
            note.use = HeaderUse::Boilerplate;
            note.phrase = phrase;
            return note;
        }
    }

    if (containsIgnoringCase("(C)") || containsIgnoringCase("(P)")) {
        properties_.authors.assign(t);
        note.use = HeaderUse::Authors;
        return note;
    }
    if (const std::size_t p = text::findIgnoringAsciiCase(t, "HTTP://"); p != npos) {
        const std::string_view address = t.substr(p);
        const std::size_t blank = address.find(' ');
        // A blank that ends the address stays part of the value; the writer trims it.
        properties_.site.assign(blank == npos ? address : address.substr(0, blank + 1));
        note.use = HeaderUse::Site;
        return note;
    }
    if (joinedComments_) {
        joinedComments_->append(" ").append(t);  // t is trimmed already
    } else {
        properties_.comments.emplace_back(t);
    }
    note.use = HeaderUse::Comment;
    return note;
}

void convertLegacyScript(const std::vector<std::string>& input, std::vector<std::string>& output,
                         ScriptProperties& properties, ConversionNotes* notes,
                         WarningCodeSet fixes) {
    output.clear();
    output.reserve(input.size());
    LegacyConverter converter(properties);
    if (notes || !fixes.empty()) {
        converter.checkLines(fixes);
    }
    if (notes) {
        *notes = {};
        converter.keepNotes(*notes);
    }
    for (const std::string& line : input) {
        if (converter.convertLine(line, output.emplace_back())) {
            continue;
        }
        output.pop_back();
    }
    converter.endOfInput();
}

}  // namespace quillshift
