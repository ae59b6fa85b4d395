#include "conversion/BodyKeywords.h"

#include <cstring>

#include "base/TextOps.h"

namespace quillshift {

// How the search works, and what it relies on:
// - Lines are read 16 bytes at a time with GCC's vector extensions (SSE2 on x86-64; other
//   targets get the plain loop in setBytes). For each keyword, the 16 start positions of a block
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
            if (text::matchesIgnoringAsciiCase(line, at, kBodyKeywords[k])) {
                found[k] = at;
                missing &= ~(1u << k);
                break;
            }
        }
    }
}

// Bit j set when byte j of the 16 at `p` is "{" or "*", one of which every comment opener holds.
inline unsigned openerBytes(const char* p) {
    const Bytes16 bytes = load(p);
    return setBytes((bytes == splat('{')) | (bytes == splat('*')));
}

}  // namespace

bool mayOpenComment(std::string_view line) {
    std::size_t i = 0;
    for (; i + kBlock <= line.size(); i += kBlock) {
        if (openerBytes(line.data() + i) != 0) {
            return true;
        }
    }
    char tail[kBlock] = {};
    std::memcpy(tail, line.data() + i, line.size() - i);
    return openerBytes(tail) != 0;
}

namespace {

// One pass for the keywords and, with kOpeners, for a comment opener, into *opener.
template <bool kOpeners>
BodyKeywordPositions findKeywords(std::string_view line, bool* opener) {
    BodyKeywordPositions found;
    found.fill(std::string_view::npos);
    unsigned missing = (1u << kBodyKeywordCount) - 1;
    bool open = false;
    const auto wanted = [&] { return missing != 0 || (kOpeners && !open); };
    std::size_t i = 0;
    for (; i + kBlock + kLookAhead <= line.size() && wanted(); i += kBlock) {
        if constexpr (kOpeners) {
            open = open || openerBytes(line.data() + i) != 0;
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
            open = open || openerBytes(tail) != 0 ||
                   (line.size() - i > kBlock && openerBytes(tail + kBlock) != 0);
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
