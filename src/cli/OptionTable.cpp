#include "cli/OptionTable.h"

#include <algorithm>

namespace quillshift::cli {

namespace {

// Where the help of an option starts; an option and value longer than this leave it a line of
// its own.
constexpr std::size_t kHelpColumn = 25;

// "  -o, --output-dir DIR", "      --in-place[=SUFFIX]"
std::string optionTitle(const OptionSpec& option) {
    std::string title = option.shortName != '\0' ? std::string("  -") + option.shortName + ", "
                                                 : std::string(6, ' ');
    title.append("--").append(option.longName);
    if (option.value == OptionValue::Required) {
        title.append(" ").append(option.valueName);
    } else if (option.value == OptionValue::Optional) {
        title.append("[=").append(option.valueName).append("]");
    }
    return title;
}

}  // namespace

std::string wrapText(std::string_view text, std::size_t indent, std::size_t width) {
    std::string out;
    std::size_t column = indent;
    bool lineEmpty = true;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view word = text.substr(at, end - at);
        at = end + 1;
        if (word.empty()) {
            continue;
        }
        if (!lineEmpty && column + 1 + word.size() > width) {
            out.append("\n").append(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out.push_back(' ');
            ++column;
        }
        out.append(word);
        column += word.size();
        lineEmpty = false;
    }
    return out.append("\n");
}

std::string optionHelp(std::size_t width) {
    std::string out;
    for (const OptionSpec& option : kOptionTable) {
        if (!option.group.empty()) {
            out.append(out.empty() ? "" : "\n").append(option.group).append(":\n");
        }
        std::string title = optionTitle(option);
        if (title.size() + 2 > kHelpColumn) {
            title.append("\n").append(kHelpColumn, ' ');
        } else {
            title.append(kHelpColumn - title.size(), ' ');
        }
        out.append(title).append(wrapText(option.help, kHelpColumn, width));
    }
    return out;
}

}  // namespace quillshift::cli
