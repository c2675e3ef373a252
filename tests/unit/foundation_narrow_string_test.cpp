// NarrowString: sharing, sizing and the two byte searches.
#include <gtest/gtest.h>

#include <functional>
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

// The shape that a failed PrepareBuffer leaves behind: a record without a characters block.
// A size beyond any block makes it without an allocator hook.
bool MakeRecordWithoutCharacters(NarrowString& s) {
    return !s.PrepareBuffer(0xFFFFFFFFu) && s.Record() && !s.Record()->characters &&
           s.Capacity() == 0 && s.Record()->referenceCount == 1;
}

int32_t CountOf(const NarrowString& s) {
    return s.Record() ? s.Record()->referenceCount : 0;
}

TEST(NarrowString, RecordWithoutCharactersIsEmptyTextToEveryOperation) {
    NarrowString s;
    ASSERT_TRUE(MakeRecordWithoutCharacters(s));
    EXPECT_EQ(static_cast<const void*>(s.Text()), static_cast<const void*>(kEmptyText));
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Find("%callRuns%"), -1);
    EXPECT_EQ(s.Find(nullptr), -1);
    EXPECT_EQ(s.FindNoCase("html"), -1);

    // What each operation leaves in such a string.
    enum class After { kUntouched, kOwnBlock, kSharesOther, kNull };
    const NarrowString other = Narrow("xyz");
    const struct {
        const char* name;
        std::function<void(NarrowString&)> operation;
        uint32_t capacity;
        After after;
    } rows[] = {
        {"Truncate(0)", [](NarrowString& n) { n.Truncate(0); }, 0, After::kUntouched},
        {"Truncate(-1)", [](NarrowString& n) { n.Truncate(0xFFFFFFFFu); }, 0, After::kUntouched},
        {"MakeUnique of a unique record", [](NarrowString& n) { n.MakeUnique(); }, 0,
         After::kUntouched},
        {"PrepareBuffer(10)", [](NarrowString& n) { ASSERT_TRUE(n.PrepareBuffer(10)); }, 15,
         After::kOwnBlock},
        {"Assign", [&](NarrowString& n) { n.Assign(&other); }, 7, After::kSharesOther},
        {"Assign(null)", [](NarrowString& n) { n.Assign(nullptr); }, 0, After::kNull},
        {"Clear", [](NarrowString& n) { n.Clear(); }, 0, After::kNull},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        NarrowString n;
        ASSERT_TRUE(MakeRecordWithoutCharacters(n));
        const NarrowStringRecord* before = n.Record();
        row.operation(n);
        EXPECT_EQ(n.Capacity(), row.capacity);
        switch (row.after) {
            case After::kUntouched:
                EXPECT_EQ(n.Record(), before);
                EXPECT_EQ(n.Record()->characters, nullptr);
                EXPECT_TRUE(n.IsEmpty());
                break;
            case After::kOwnBlock:
                ASSERT_NE(n.Record(), nullptr);
                EXPECT_NE(n.Record()->characters, nullptr);
                EXPECT_EQ(CountOf(n), 1);
                EXPECT_TRUE(n.IsEmpty());
                break;
            case After::kSharesOther:
                EXPECT_EQ(n.Record(), other.Record());
                EXPECT_EQ(CountOf(other), 2);
                break;
            case After::kNull:
                EXPECT_EQ(n.Record(), nullptr);
                break;
        }
    }
}

TEST(NarrowString, WriterOnASharedRecordWithoutCharactersLeavesTheOtherHolderAlone) {
    const struct {
        const char* name;
        std::function<void(NarrowString&)> operation;
    } rows[] = {
        // The copy takes all capacity bytes of the shared block, which are none: a block of 7.
        {"MakeUnique", [](NarrowString& n) { n.MakeUnique(); }},
        {"PrepareBuffer(3)", [](NarrowString& n) { ASSERT_TRUE(n.PrepareBuffer(3)); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        NarrowString original;
        ASSERT_TRUE(MakeRecordWithoutCharacters(original));
        NarrowString copy(original);
        copy.Truncate(0);  // nothing to cut: still shared
        ASSERT_EQ(copy.Record(), original.Record());
        ASSERT_EQ(CountOf(original), 2);

        row.operation(copy);
        EXPECT_NE(copy.Record(), original.Record());
        ASSERT_NE(copy.Buffer(), nullptr);
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_EQ(copy.Capacity(), 7u);
        EXPECT_EQ(CountOf(copy), 1);
        EXPECT_EQ(CountOf(original), 1);
        EXPECT_EQ(original.Record()->characters, nullptr);
        EXPECT_TRUE(original.IsEmpty());
    }
}

}  // namespace
