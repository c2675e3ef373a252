#include <gtest/gtest.h>

#include <cstring>

#include "sources/identity_set.h"

namespace {

FileIdentity Identity(uint64_t volume, uint64_t low, uint64_t high = 0) {
    FileIdentity identity;
    identity.volume = volume;
    std::memcpy(identity.id, &low, 8);
    std::memcpy(identity.id + 8, &high, 8);
    return identity;
}

}  // namespace

// Thousands of identities, past several growths: each is new once, then known. The same low
// half on another volume, or under another high half (ReFS's 128-bit IDs), is another file.
TEST(IdentitySet, KnowsEveryIdentityAfterGrowing) {
    IdentitySet set;
    constexpr uint64_t kCount = 5000;
    for (uint64_t i = 0; i < kCount; ++i) ASSERT_TRUE(set.Add(Identity(7, i * 0x100000001ull)));
    for (uint64_t i = 0; i < kCount; ++i) EXPECT_FALSE(set.Add(Identity(7, i * 0x100000001ull)));
    EXPECT_TRUE(set.Add(Identity(8, 0x100000001ull)));
    EXPECT_TRUE(set.Add(Identity(7, 0x100000001ull, 1)));
    EXPECT_EQ(set.Count(), kCount + 2);
}
