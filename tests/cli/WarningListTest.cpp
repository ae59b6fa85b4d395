#include <gtest/gtest.h>

#include "cli/WarningList.h"

namespace quillshift::cli {
namespace {

// Many warnings with three messages of one length: each comes back as it went in, past the 256
// entries a message index could hold were each message kept anew.
TEST(WarningList, GivesBackEachWarningWithItsOwnMessage) {
    static constexpr std::string_view kFirst = "first message";
    static constexpr std::string_view kOther = "other message";
    static constexpr std::string_view kThird = "third message";
    static constexpr std::string_view kMessages[] = {kFirst, kOther, kThird};
    std::vector<ConversionWarning> added;
    WarningList list;
    for (std::size_t i = 0; i < 600; ++i) {
        added.push_back({i + 1, i % 7,
                         i % 3 == 0 ? WarningCode::LineReplaced : WarningCode::CallContinues,
                         kMessages[i % 3], i % 5 == 0, i % 4 == 0});
        list.add(added.back());
    }
    ASSERT_EQ(list.size(), added.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        EXPECT_EQ(list[i], added[i]) << i;
    }
}

}  // namespace
}  // namespace quillshift::cli
