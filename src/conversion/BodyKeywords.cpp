#include "conversion/BodyKeywords.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "base/TextOps.h"

namespace quillshift {

// How the search works, and what it relies on:
// - Lines are read 16 bytes at a time with the vector extensions of GCC and Clang (MinGW's GCC
//   included), which become SSE2 on x86-64 and NEON on ARM, with no instruction of one target
//   named in the code. For each keyword, the 16 start positions of a block
//   are sifted by two letters of the keyword (kSiftAt): only a position whose two bytes at
//   kSiftAt and kSiftAt + 1 match those letters, in either case, is compared in full
//   (text::matchesIgnoringAsciiCase). A block reads up to kLookAhead bytes past its end; the line's
//   last bytes are copied into a zero-padded buffer so that no read passes the line's end.
// - So every sift position must hold two ASCII letters of its keyword (bit 5 folds only letters),
//   with kSiftAt + 1 < kLookAhead, and the keywords must be upper-case letters only.
// To add a keyword: append it to BodyKeyword and kBodyKeywords, add its sift position here (a
// pair of letters that ordinary script text seldom has side by side), raise kLookAhead if the
// pair lies further in, and add rows for it in the keyword tests (both cases, at the block edges).
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

// The 16 bytes of `v`, each 0 or 0xFF as comparisons leave them, as two words in text order.
struct Marks {
    std::array<std::uint64_t, 2> words{};

    explicit Marks(Bytes16 v) { std::memcpy(words.data(), &v, sizeof words); }
    bool any() const { return (words[0] | words[1]) != 0; }
};

// The index (0 to 7) of the first marked byte, in text order, of a word of marks (not 0).
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
inline std::size_t firstMarked(std::uint64_t marks) {
    return static_cast<std::size_t>(kLittleEndian ? std::countr_zero(marks)
                                                  : std::countl_zero(marks)) /
           8;
}

// `marks` without the byte at `index`.
inline std::uint64_t withoutByte(std::uint64_t marks, std::size_t index) {
    const std::size_t shift = 8 * (kLittleEndian ? index : 7 - index);
    return marks & ~(std::uint64_t{0xFF} << shift);
}

// Where in each keyword two letters stand that ordinary script text seldom has side by side
// ("tP", "yR", "kV", "wM"): positions are sifted by those, so that common words such as "Get..."
// or "Check..." cost nothing.
constexpr std::array<std::size_t, kBodyKeywordCount> kSiftAt{2, 6, 4, 3};
constexpr std::size_t kLookAhead = 8;  // bytes looked at beyond a block: the furthest sift pair
static_assert([] {
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        if (kSiftAt[k] + 1 >= kLookAhead || kSiftAt[k] + 1 >= kBodyKeywords[k].size()) {
            return false;
        }
        for (const char c : kBodyKeywords[k]) {
            if (c < 'A' || c > 'Z') {
                return false;
            }
        }
    }
    return true;
}());

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
    if (!Marks(any).any()) {
        return;
    }
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        const std::array<std::uint64_t, 2> halves = Marks(sifted[k]).words;
        for (std::size_t half = 0; half < halves.size() && (missing & (1U << k)) != 0; ++half) {
            for (std::uint64_t candidates = halves[half]; candidates != 0;) {
                const std::size_t byte = firstMarked(candidates);
                candidates = withoutByte(candidates, byte);
                const std::size_t at = offset + 8 * half + byte;
                if (text::matchesIgnoringAsciiCase(line, at, kBodyKeywords[k])) {
                    found[k] = at;
                    missing &= ~(1U << k);
                    break;
                }
            }
        }
    }
}

// True when one of the 16 bytes at `p` is "{" or "*", one of which every comment opener holds.
inline bool holdsOpenerByte(const char* p) {
    const Bytes16 bytes = load(p);
    return Marks((bytes == splat('{')) | (bytes == splat('*'))).any();
}

}  // namespace

bool mayOpenComment(std::string_view line) {
    std::size_t i = 0;
    for (; i + kBlock <= line.size(); i += kBlock) {
        if (holdsOpenerByte(line.data() + i)) {
            return true;
        }
    }
    char tail[kBlock] = {};
    std::memcpy(tail, line.data() + i, line.size() - i);
    return holdsOpenerByte(tail);
}

namespace {

// One pass for the keywords and, with kOpeners, for a comment opener, into *opener.
template <bool kOpeners>
BodyKeywordPositions findKeywords(std::string_view line, bool* opener) {
    BodyKeywordPositions found;
    found.fill(std::string_view::npos);
    unsigned missing = (1U << kBodyKeywordCount) - 1;
    bool open = false;
    const auto wanted = [&] { return missing != 0 || (kOpeners && !open); };
    std::size_t i = 0;
    for (; i + kBlock + kLookAhead <= line.size() && wanted(); i += kBlock) {
        if constexpr (kOpeners) {
            open = open || holdsOpenerByte(line.data() + i);
        }
        if (missing != 0) {
            scanBlock(line.data() + i, i, line, found, missing);
        }
    }
    if (i < line.size() && wanted()) {
        // Fewer than kBlock + kLookAhead bytes are left: a keyword can start only in the first
        // kBlock of them, a comment opener anywhere.
        char tail[2 * kBlock + kLookAhead] = {};
        std::memcpy(tail, line.data() + i, line.size() - i);
        if constexpr (kOpeners) {
            open = open || holdsOpenerByte(tail) ||
                   (line.size() - i > kBlock && holdsOpenerByte(tail + kBlock));
        }
        if (missing != 0) {
            scanBlock(tail, i, line, found, missing);
        }
    }
    if constexpr (kOpeners) {
        *opener = open;
    }
    return found;
}

}  // namespace

BodyKeywordPositions findBodyKeywords(std::string_view line) {
    return findKeywords<false>(line, nullptr);
}

BodyKeywordPositions findBodyKeywords(std::string_view line, bool& commentOpener) {
    return findKeywords<true>(line, &commentOpener);
}

}  // namespace quillshift
