#include "conversion/BodyRuleMatches.h"

#include "base/TextOps.h"

namespace quillshift {

bool BodyRuleMatches::matched(BodyRule rule) const {
    switch (rule) {
        case BodyRule::GetPicture:
            return getPictureClose != npos;
        case BodyRule::DisplayResults:
            return keywords[kDisplayResults] != npos;
        case BodyRule::CheckVersion:
            return checkVersionClose != npos;
        case BodyRule::VersionMessage:
            return versionMessage;
        case BodyRule::None:
            break;
    }
    return false;
}

BodyRule BodyRuleMatches::standing() const {
    for (const BodyRule rule : {BodyRule::VersionMessage, BodyRule::CheckVersion,
                                BodyRule::DisplayResults, BodyRule::GetPicture}) {
        if (matched(rule)) {
            return rule;
        }
    }
    return BodyRule::None;
}

BodyRuleMatches matchBodyRules(std::string_view line, bool findCommentOpener) {
    BodyRuleMatches m;
    m.keywords =
        findCommentOpener ? findBodyKeywords(line, m.commentOpener) : findBodyKeywords(line);
    constexpr std::size_t npos = BodyRuleMatches::npos;
    if (const std::size_t k = m.keywords[kGetPicture]; k != npos) {
        if (const std::size_t comma = line.find(',', k); comma != npos) {
            if (const std::size_t close = line.find(')', comma); close != npos) {
                m.getPictureComma = comma;
                m.getPictureClose = close;
            }
        }
    }
    if (const std::size_t k = m.keywords[kCheckVersion]; k != npos) {
        if (const std::size_t open = line.find('(', k); open != npos) {
            if (const std::size_t close = line.find(')', open); close != npos) {
                m.checkVersionOpen = open;
                m.checkVersionClose = close;
            }
        }
    }
    if (m.keywords[kShowMessage] != npos) {
        m.requiresANewer = text::findIgnoringAsciiCase(line, "REQUIRES A NEWER");
        m.versionMessage = m.requiresANewer != npos;
    }
    return m;
}

std::string_view applyStandingRule(std::string_view line, const BodyRuleMatches& m,
                                   std::string& scratch) {
    // Every rule builds its result from the unchanged line, so only the last match survives.
    switch (m.standing()) {
        case BodyRule::GetPicture:
            scratch.assign(line.substr(0, m.getPictureComma))
                .append(line.substr(m.getPictureClose));
            break;
        case BodyRule::DisplayResults: {
            const std::size_t k = m.keywords[kDisplayResults];
            scratch.assign(line.substr(0, k)).append("//").append(line.substr(k));
            break;
        }
        case BodyRule::CheckVersion:
            scratch.assign(line.substr(0, m.checkVersionOpen + 1))
                .append(kCheckVersionArguments)
                .append(line.substr(m.checkVersionClose));
            break;
        case BodyRule::VersionMessage:
            scratch.assign(kVersionMessageLine);
            break;
        case BodyRule::None:
            return line;
    }
    return scratch;
}

}  // namespace quillshift
