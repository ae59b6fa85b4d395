#include "conversion/PascalTokenizer.h"

#include <array>

#include "conversion/BodyKeywords.h"

namespace quillshift {

namespace {

using State = PascalTokenizer::State;
using Kind = PascalTokenizer::Kind;

constexpr std::size_t npos = std::string_view::npos;

// The bytes at which something other than code may start, or, for "*", have started one byte
// before ("(" is common in code, "*" is not).
constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> special{};
    for (const char c : std::string_view("/{*'\"")) {
        special[static_cast<unsigned char>(c)] = true;
    }
    return special;
}();

std::string_view closerOf(State state) {
    return state == State::BraceComment ? std::string_view("}") : std::string_view("*)");
}

// Walks `line` from `state`, handing each span to `onSpan(begin, end, kind)`; code spans are
// handed over whole. Returns the state at the end.
template <typename OnSpan>
State scan(std::string_view line, State state, OnSpan&& onSpan) {
    const std::size_t n = line.size();
    std::size_t i = 0;
    if (state != State::Code) {
        const std::string_view closer = closerOf(state);
        const std::size_t close = line.find(closer);
        if (close == npos) {
            if (n > 0) {
                onSpan(0, n, Kind::Comment);
            }
            return state;
        }
        i = close + closer.size();
        onSpan(0, i, Kind::Comment);
    }
    std::size_t codeBegin = i;
    const auto endCode = [&](std::size_t at) {
        if (at > codeBegin) {
            onSpan(codeBegin, at, Kind::Code);
        }
    };
    const char* const data = line.data();
    while (i < n) {
        while (i < n && !kSpecial[static_cast<unsigned char>(data[i])]) {
            ++i;
        }
        if (i == n) {
            break;
        }
        const char c = data[i];
        const bool next = i + 1 < n;
        State opens = State::Code;
        if (c == '/' && next && line[i + 1] == '/') {
            endCode(i);
            onSpan(i, n, Kind::Comment);
            return State::Code;
        }
        if (c == '{') {
            opens = State::BraceComment;
        } else if (c == '*' && i > codeBegin && data[i - 1] == '(') {
            --i;  // the comment starts at the "("
            opens = State::ParenComment;
        } else if (c == '\'' || c == '"') {
            endCode(i);
            std::size_t end = i + 1;
            for (;;) {
                const std::size_t quote = line.find(c, end);
                if (quote == npos) {
                    end = n;
                    break;
                }
                end = quote + 1;
                if (end >= n || line[end] != c) {
                    break;
                }
                ++end;  // a doubled quote stands for one quote inside the string
            }
            onSpan(i, end, Kind::String);
            i = codeBegin = end;
            continue;
        } else {
            ++i;
            continue;
        }
        endCode(i);
        const std::size_t bodyStart = i + (opens == State::BraceComment ? 1 : 2);
        const std::string_view closer = closerOf(opens);
        const std::size_t close = line.find(closer, bodyStart);
        if (close == npos) {
            onSpan(i, n, Kind::Comment);
            return opens;
        }
        const std::size_t end = close + closer.size();
        onSpan(i, end, Kind::Comment);
        i = codeBegin = end;
    }
    endCode(n);
    return State::Code;
}

}  // namespace

PascalTokenizer::State PascalTokenizer::split(std::string_view line, State state,
                                              std::vector<Span>& spans) {
    spans.clear();
    return scan(line, state, [&spans](std::size_t begin, std::size_t end, Kind kind) {
        spans.push_back({begin, end, kind});
    });
}

PascalTokenizer::State PascalTokenizer::endState(std::string_view line, State state) {
    if (state != State::Code) {
        const std::string_view closer = closerOf(state);
        const std::size_t close = line.find(closer);
        if (close == npos) {
            return state;
        }
        line.remove_prefix(close + closer.size());
    }
    // Strings and // comments end with the line, so only an opened comment can carry over.
    if (!mayOpenComment(line)) {
        return State::Code;
    }
    return scan(line, State::Code, [](std::size_t, std::size_t, Kind) {});
}

}  // namespace quillshift
