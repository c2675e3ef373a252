#include <gtest/gtest.h>

#include "sources/identity_set.h"

// Thousands of identities, past several growths: each is new once, then known; the same file
// ID on another volume is another file.
TEST(IdentitySet, KnowsEveryIdentityAfterGrowing) {
    IdentitySet set;
    constexpr uint64_t kCount = 5000;
    for (uint64_t i = 0; i < kCount; ++i) {
        // IDs that differ only in their high bits as well as low ones.
        ASSERT_TRUE(set.Add(7, i * 0x100000001ull)) << i;
    }
    for (uint64_t i = 0; i < kCount; ++i) EXPECT_FALSE(set.Add(7, i * 0x100000001ull)) << i;
    EXPECT_TRUE(set.Add(8, 0x100000001ull));
    EXPECT_EQ(set.Count(), kCount + 1);
}
