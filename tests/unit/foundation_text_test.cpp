// Free functions on raw UTF-16 text.
#include <gtest/gtest.h>

#include <string>

#include "foundation/text.h"

namespace {

TEST(Text, TextLengthAndCompareTextReadNullAsEmpty) {
    EXPECT_EQ(TextLength(nullptr), 0u);
    EXPECT_EQ(TextLength(u"abc"), 3u);
    const struct {
        const char16_t* a;
        const char16_t* b;
        int expected;
    } rows[] = {
        {nullptr, u"", 0}, {u"abc", u"abc", 0}, {u"ab", u"abc", -1},
        {u"b", u"a", 1},   {u"a", u"A", 1},     {u"\xFFFF", u"a", 1},  // unsigned units
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        EXPECT_EQ(CompareText(row.a, row.b), row.expected);
    }
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(Text, CompareNoCaseUpperCasesEachUnit) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        int sign;
    } rows[] = {
        {u".mp3", u".MP3", 0}, {u"a", u"ab", -1},
        {u"ab", u"a", 1},      {nullptr, u"a", -1},
        {u"a", nullptr, 1},    {nullptr, nullptr, 0},
        {nullptr, u"", -1},    {u"WAV", u"wav", 0},
        {u"a", u"B", -1},      {u"\u00FCber", u"\u00DCBER", 0},  // Latin-1 maps on every platform
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        EXPECT_EQ(Sign(CompareNoCase(row.a, row.b)), row.sign);
    }
    EXPECT_EQ(CompareNoCase(u"a", u"ab"), -int(u'B'));  // the difference of the units
}

TEST(Text, TrimBlanksRemovesOnlySpacesAndTabs) {
    const struct {
        const char16_t* text;
        const char16_t* expected;
    } rows[] = {
        {u"\t a b \t", u"a b"},   {u"   ", u""}, {u"", u""},     {u"abc", u"abc"},
        {u"\r\na\n", u"\r\na\n"}, {u" x", u"x"}, {u"x\t", u"x"}, {u"\u00A0x", u"\u00A0x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        std::u16string text = row.text;
        EXPECT_EQ(TrimBlanks(text.data()), text.data());
        EXPECT_EQ(std::u16string(text.c_str()), row.expected);
    }
    EXPECT_EQ(TrimBlanks(nullptr), nullptr);
}

TEST(Text, FindTextAndFindChar) {
    const char16_t* text = u"abcabc";
    EXPECT_EQ(FindText(text, u"ca"), text + 2);
    EXPECT_EQ(FindText(text, u"cc"), nullptr);
    EXPECT_EQ(FindText(text, u"abcabcd"), nullptr);
    EXPECT_EQ(FindText(text, nullptr), text);
    EXPECT_EQ(FindText(nullptr, u"a"), nullptr);
    EXPECT_EQ(FindChar(text, u'c'), text + 2);
    EXPECT_EQ(FindChar(text, 0), text + 6);
    EXPECT_EQ(FindChar(text, u'x'), nullptr);
    EXPECT_EQ(FindChar(nullptr, u'a'), nullptr);
}

TEST(Text, FindTextFromStartsAtTheIndex) {
    const struct {
        const char16_t* text;
        uint32_t start;
        const char16_t* needle;
        int32_t expected;
    } rows[] = {
        {u"abcabc", 0, u"bc", 1}, {u"abcabc", 2, u"bc", 4}, {u"abcabc", 5, u"bc", -1},
        {u"abcabc", 6, u"c", -1}, {u"abc", 100, u"a", -1},  {u"", 0, u"a", -1},
        {nullptr, 0, u"a", -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        EXPECT_EQ(FindTextFrom(row.text, row.start, row.needle), row.expected);
    }
}

TEST(Text, CountOccurrencesDoesNotOverlap) {
    const struct {
        const char16_t* text;
        const char16_t* needle;
        uint32_t expected;
    } rows[] = {
        {u"aaaa", u"aa", 2}, {u"aaa", u"aa", 1}, {u"a\\b\\c", u"\\", 2}, {u"abc", u"x", 0},
        {u"", u"a", 0},      {nullptr, u"a", 0}, {u"abc", u"", 0},       {u"abc", nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        EXPECT_EQ(CountOccurrences(row.text, row.needle), row.expected);
    }
}

TEST(Text, CopyTextCopiesFrontToBack) {
    char16_t block[8] = u"xxxxxxx";
    EXPECT_EQ(CopyText(block, u"ab"), block);
    EXPECT_EQ(std::u16string(block), u"ab");
    CopyText(block, nullptr);
    EXPECT_EQ(block[0], 0);
    char16_t overlap[8] = u"  abc";
    CopyText(overlap, overlap + 2);  // to a lower address in the same block
    EXPECT_EQ(std::u16string(overlap), u"abc");
    EXPECT_EQ(CopyText(nullptr, u"a"), nullptr);
}

TEST(Text, CopyTextNStopsAtNOrAfterTheTerminator) {
    const struct {
        const char16_t* source;
        uint32_t n;
        const char16_t* expected;  // the 6 units of the block after the copy
    } rows[] = {
        {u"abcdef", 3, u"abcxxx"},  // n units copied, no terminator
        {u"ab", 5, u"ab\0x\0x"},    // terminator copied, and one at n - 1
        {u"abc", 0, u"xxxxxx"},
        {nullptr, 3, u"\0xxxxx"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        char16_t block[7] = u"xxxxxx";
        CopyTextN(block, row.source, row.n);
        EXPECT_EQ(std::u16string(block, 6), std::u16string(row.expected, 6));
    }
    CopyTextN(nullptr, u"a", 1);
}

}  // namespace
