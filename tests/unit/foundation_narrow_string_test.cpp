// NarrowString: sharing, sizing and the two byte searches.
#include <gtest/gtest.h>

#include <string>

#include "foundation/narrow_string.h"
#include "foundation/wide_string.h"

namespace {

NarrowString Narrow(const char* text) {
    NarrowString s;
    const uint32_t length = static_cast<uint32_t>(std::char_traits<char>::length(text));
    if (s.PrepareBuffer(length)) std::char_traits<char>::copy(s.Buffer(), text, length + 1);
    return s;
}

TEST(NarrowString, EmptyReadsTheSharedEmptyText) {
    NarrowString s;
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(static_cast<const void*>(s.Text()), static_cast<const void*>(kEmptyText));
    ASSERT_TRUE(s.PrepareBuffer(0));
    EXPECT_EQ(s.Capacity(), 7u);
    EXPECT_EQ(static_cast<const void*>(s.Text()), static_cast<const void*>(kEmptyText));
}

TEST(NarrowString, SizesAndReusesBlocksAsWideStringDoes) {
    NarrowString s;
    ASSERT_TRUE(s.PrepareBuffer(22));
    EXPECT_EQ(s.Capacity(), 23u);
    const char* block = s.Buffer();
    ASSERT_TRUE(s.PrepareBuffer(16));
    EXPECT_EQ(s.Buffer(), block);
    ASSERT_TRUE(s.PrepareBuffer(12));
    EXPECT_EQ(s.Capacity(), 15u);
}

TEST(NarrowString, CopySharesAndTruncateCopiesOnWrite) {
    NarrowString a = Narrow("template.htm");
    NarrowString b(a);
    EXPECT_EQ(a.Record(), b.Record());
    EXPECT_EQ(a.Record()->referenceCount, 2);
    b.Truncate(8);
    EXPECT_STREQ(b.Text(), "template");
    EXPECT_STREQ(a.Text(), "template.htm");
    EXPECT_EQ(a.Record()->referenceCount, 1);
    EXPECT_EQ(b.Capacity(), a.Capacity());
    b.Truncate(0xFFFFFFFFu);
    EXPECT_STREQ(b.Text(), "template");
    NarrowString c;
    c.Assign(&a);
    c.Clear();
    EXPECT_EQ(c.Record(), nullptr);
    EXPECT_EQ(a.Record()->referenceCount, 1);
}

TEST(NarrowString, FindIsExact) {
    const struct {
        const char* text;
        const char* needle;
        int32_t expected;
    } rows[] = {
        {"a %lame_exe% b", "%lame_exe%", 2},
        {"%LAME_EXE%", "%lame_exe%", -1},
        {"%callRun %callRuns%", "%callRuns%", 9},
        {"abc", "abcd", -1},
        {"", "a", -1},
        {"abc", nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Narrow(row.text).Find(row.needle), row.expected);
    }
    EXPECT_EQ(NarrowString().Find("a"), -1);
    EXPECT_EQ(NarrowString().Find(nullptr), -1);
}

TEST(NarrowString, FindNoCaseUpperCasesBothSides) {
    const struct {
        const char* text;
        int32_t expected;
    } rows[] = {
        {"<HTML>", 1},   {"<Html>", 1}, {"<!DOCTYPE xhtml>", 11}, {"<htm", -1}, {"hthtml", 2},
        {"no such", -1}, {"", -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Narrow(row.text).FindNoCase("html"), row.expected);
    }
    EXPECT_EQ(NarrowString().FindNoCase("html"), -1);
}

}  // namespace
