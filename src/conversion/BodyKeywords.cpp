#include "conversion/BodyKeywords.h"

#include <cstring>

namespace quillshift {

namespace {

using Bytes16 = signed char __attribute__((vector_size(16)));
constexpr std::size_t kBlock = sizeof(Bytes16);

inline Bytes16 load(const char* p) {
    Bytes16 v;
    std::memcpy(&v, p, kBlock);
    return v;
}

inline Bytes16 splat(char c) {
    return Bytes16{} + static_cast<signed char>(c);
}

// Bit j set when byte j of `v` is not zero.
inline unsigned setBytes(Bytes16 v) {
#if defined(__SSE2__)
    using Chars16 = char __attribute__((vector_size(16)));
    return static_cast<unsigned>(__builtin_ia32_pmovmskb128(reinterpret_cast<Chars16>(v)));
#else
    unsigned bits = 0;
    for (std::size_t j = 0; j < kBlock; ++j) {
        bits |= static_cast<unsigned>(v[j] != 0) << j;
    }
    return bits;
#endif
}

inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline bool matchesAt(std::string_view text, std::size_t at, std::string_view upperWord) {
    if (at > text.size() || text.size() - at < upperWord.size()) {
        return false;
    }
    for (std::size_t j = 0; j < upperWord.size(); ++j) {
        if (upperAscii(text[at + j]) != upperWord[j]) {
            return false;
        }
    }
    return true;
}

// Looks for keyword starts in the 16 positions from `offset`; `block` holds the line's bytes from
// `offset` on, at least 17 of them (padding included).
void scanBlock(const char* block, std::size_t offset, std::string_view line,
               BodyKeywordPositions& found, unsigned& missing) {
    // Setting bit 5 turns exactly the two cases of a letter into its lower case, so a keyword's
    // first two letters are found in either case with one comparison each.
    const Bytes16 here = load(block) | splat(0x20);
    const Bytes16 next = load(block + 1) | splat(0x20);
    Bytes16 starts[kBodyKeywordCount];
    Bytes16 any = Bytes16{};
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        starts[k] = (here == splat(static_cast<char>(kBodyKeywords[k][0] | 0x20))) &
                    (next == splat(static_cast<char>(kBodyKeywords[k][1] | 0x20)));
        any |= starts[k];
    }
    if (setBytes(any) == 0) {
        return;
    }
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        if ((missing & (1u << k)) == 0) {
            continue;
        }
        for (unsigned candidates = setBytes(starts[k]); candidates != 0;
             candidates &= candidates - 1) {
            const std::size_t at = offset + static_cast<std::size_t>(__builtin_ctz(candidates));
            if (matchesAt(line, at, kBodyKeywords[k])) {
                found[k] = at;
                missing &= ~(1u << k);
                break;
            }
        }
    }
}

}  // namespace

BodyKeywordPositions findBodyKeywords(std::string_view line) {
    BodyKeywordPositions found;
    found.fill(std::string_view::npos);
    unsigned missing = (1u << kBodyKeywordCount) - 1;
    std::size_t i = 0;
    for (; i + kBlock < line.size() && missing != 0; i += kBlock) {
        scanBlock(line.data() + i, i, line, found, missing);
    }
    if (i < line.size() && missing != 0) {
        char tail[2 * kBlock] = {};
        std::memcpy(tail, line.data() + i, line.size() - i);
        scanBlock(tail, i, line, found, missing);
    }
    return found;
}

std::size_t findIgnoringAsciiCase(std::string_view text, std::string_view upperWord) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (matchesAt(text, at, upperWord)) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace quillshift
