#include "conversion/BodyKeywords.h"

#include <cstring>

#include "base/TextOps.h"

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

inline bool matchesAt(std::string_view text, std::size_t at, std::string_view upperWord) {
    if (at > text.size() || text.size() - at < upperWord.size()) {
        return false;
    }
    for (std::size_t j = 0; j < upperWord.size(); ++j) {
        if (text::upperAscii(text[at + j]) != upperWord[j]) {
            return false;
        }
    }
    return true;
}

// Where in each keyword two letters stand that ordinary script text seldom has side by side
// ("tP", "yR", "kV", "wM"): positions are sifted by those, so that common words such as "Get..."
// or "Check..." cost nothing.
constexpr std::array<std::size_t, kBodyKeywordCount> kSiftAt{2, 6, 4, 3};
constexpr std::size_t kLookAhead = 8;  // bytes looked at beyond a block: the furthest sift pair

inline Bytes16 folded(const char* p) {
    // Setting bit 5 turns exactly the two cases of a letter into its lower case, so the sift
    // letters are found in either case with one comparison each.
    return load(p) | splat(0x20);
}

// Looks for keyword starts in the 16 positions from `offset`; `block` holds the line's bytes from
// `offset` on, at least 16 + kLookAhead of them (padding included).
void scanBlock(const char* block, std::size_t offset, std::string_view line,
               BodyKeywordPositions& found, unsigned& missing) {
    Bytes16 sifted[kBodyKeywordCount];
    Bytes16 any = Bytes16{};
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        const std::string_view keyword = kBodyKeywords[k];
        const std::size_t at = kSiftAt[k];
        sifted[k] = (folded(block + at) == splat(static_cast<char>(keyword[at] | 0x20))) &
                    (folded(block + at + 1) == splat(static_cast<char>(keyword[at + 1] | 0x20)));
        any |= sifted[k];
    }
    if (setBytes(any) == 0) {
        return;
    }
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        if ((missing & (1u << k)) == 0) {
            continue;
        }
        for (unsigned candidates = setBytes(sifted[k]); candidates != 0;
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
    for (; i + kBlock + kLookAhead <= line.size() && missing != 0; i += kBlock) {
        scanBlock(line.data() + i, i, line, found, missing);
    }
    if (i < line.size() && missing != 0) {
        char tail[2 * kBlock + kLookAhead] = {};
        std::memcpy(tail, line.data() + i, line.size() - i);
        scanBlock(tail, i, line, found, missing);
    }
    return found;
}

}  // namespace quillshift
