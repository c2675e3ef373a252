// Bounded formatting and the block rules of WideString::Format.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "foundation/format_text.h"
#include "foundation/wide_string.h"

namespace {

// FormatText with a limit, through a va_list.
int FormatInto(char16_t* target, uint32_t limit, const char16_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int result = FormatText(target, limit, format, arguments);
    va_end(arguments);
    return result;
}

std::u16string Formatted(const char16_t* format, ...) {
    char16_t block[64];
    va_list arguments;
    va_start(arguments, format);
    const int result = FormatText(block, 63, format, arguments);
    va_end(arguments);
    return result < 0 ? u"<overflow>" : std::u16string(block, result);
}

TEST(FormatText, Directives) {
    EXPECT_EQ(Formatted(u"Lame-Aufruf(%d).hta", 2), u"Lame-Aufruf(2).hta");
    EXPECT_EQ(Formatted(u"Die Vorlagendatei %s ist", u"C:\\V\u00F6.htm"),
              u"Die Vorlagendatei C:\\V\u00F6.htm ist");
    EXPECT_EQ(Formatted(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
    EXPECT_EQ(Formatted(u"%d %d", INT_MIN, INT_MAX), u"-2147483648 2147483647");
    EXPECT_EQ(Formatted(u"%u|%lu|%ld", 4294967295u, 7ul, -12l), u"4294967295|7|-12");
    EXPECT_EQ(Formatted(u"100%% %s%d", u"x", 0), u"100% x0");
    EXPECT_EQ(Formatted(u"%x %", 5), u"%x %");  // not ours: written as it stands
    EXPECT_EQ(Formatted(nullptr), u"");
}

TEST(FormatText, SequenceWrittenAsItStandsTakesNoArgument) {
    // The later %d directives still read the first and second arguments. Three are passed,
    // so a sequence that took one would shift the output rather than read past the list.
    const struct {
        const char16_t* format;
        const char16_t* expected;
    } rows[] = {
        {u"%ls|%d|%d", u"%ls|5|6"},
        {u"%c%d%d", u"%c56"},
        {u"%5d|%d|%d", u"%5d|5|6"},
        {u"%x %d %d", u"%x 5 6"},
        {u"%lame_exe% %d %d", u"%lame_exe% 5 6"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        EXPECT_EQ(Formatted(row.format, 5, 6, 7), row.expected);
    }
}

TEST(FormatText, WritesAtMostTheLimitAndReportsOverflow) {
    const struct {
        const char16_t* format;
        uint32_t limit;
        int result;
        const char16_t* written;
    } rows[] = {
        {u"abcd", 4, 4, u"abcd"},  {u"abcde", 4, -1, u"abcd"}, {u"a%sz", 4, -1, u"axyz"},
        {u"a%sz", 5, 5, u"axyzz"}, {u"", 0, 0, u""},           {u"a", 0, -1, u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        char16_t block[8] = u"#######";
        EXPECT_EQ(FormatInto(block, row.limit, row.format, u"xyz"), row.result);
        EXPECT_EQ(std::u16string(block, row.limit), row.written);
        EXPECT_EQ(block[row.limit], u'#');  // nothing beyond the limit
    }
    char16_t digits[4] = u"###";
    EXPECT_EQ(FormatInto(digits, 2, u"%d", 123), -1);
    EXPECT_EQ(std::u16string(digits), u"12#");
}

TEST(FormatText, UsesTheFirstArgumentForTheFirstDirective) {
    char16_t block[16];
    ASSERT_EQ(FormatInto(block, 16, u"%s-%d", u"ab", 7), 4);
    EXPECT_EQ(std::u16string(block, 4), u"ab-7");
}

TEST(WideStringFormat, BlockDependsOnTheWrittenLength) {
    const struct {
        uint32_t units;
        uint32_t capacity;
    } rows[] = {
        {0, 0},                      // empty result: null string
        {1, 7},       {1631, 1639},  // copied into a block sized by Reserve
        {1632, 2048}, {2047, 2048},  // the scratch block is adopted
        {2048, 2055}, {3271, 3279},  // retried with 4096, then copied
        {3272, 4096}, {5000, 5007}, {6552, 8192},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.units);
        const std::u16string text(row.units, u'x');
        WideString s;
        s.AssignText(u"old");
        s.Format(u"%s", text.c_str());
        EXPECT_EQ(s.Capacity(), row.capacity);
        EXPECT_EQ(s.Text(), text);
        EXPECT_EQ(s.Record() == nullptr, row.units == 0);
        if (s.Record()) {
            EXPECT_EQ(s.Record()->referenceCount, 1);
        }
    }
}

TEST(WideStringFormat, MakeUniqueOfAnAdoptedBlockRoundsUpTo2055) {
    const std::u16string text(1700, u'y');
    WideString a;
    a.Format(u"%s", text.c_str());
    ASSERT_EQ(a.Capacity(), 2048u);
    WideString b(a);
    b.MakeUnique();
    EXPECT_EQ(b.Capacity(), 2055u);
    EXPECT_EQ(b.Text(), text);
    EXPECT_EQ(a.Record()->referenceCount, 1);
}

TEST(WideStringFormat, AdoptedBlockIsReusedForNeedsAboveFourFifths) {
    const std::u16string text(1800, u'z');
    const struct {
        uint32_t units;
        uint32_t capacity;
    } rows[] = {{1631, 2048}, {1630, 1631}, {2040, 2048}, {2047, 2055}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.units);
        WideString s;
        s.Format(u"%s", text.c_str());
        ASSERT_EQ(s.Capacity(), 2048u);
        ASSERT_TRUE(s.PrepareBuffer(row.units));
        EXPECT_EQ(s.Capacity(), row.capacity);
    }
}

TEST(WideStringFormat, AnArgumentMayComeFromTheStringItself) {
    WideString s;
    s.AssignText(u"C:\\Musik");
    s.Format(u"Die Vorlagendatei %s fehlt", s.Text());
    EXPECT_EQ(std::u16string(s.Text()), u"Die Vorlagendatei C:\\Musik fehlt");
}

TEST(WideStringFormat, SharedOldTextStaysWithItsOtherHolder) {
    WideString a;
    a.AssignText(u"before");
    WideString b(a);
    b.Format(u"%d", 5);
    EXPECT_EQ(std::u16string(a.Text()), u"before");
    EXPECT_EQ(std::u16string(b.Text()), u"5");
}

}  // namespace
