// The platform text services and the conversions built on them. The same
// tests run natively (portable code page 1252) and under Wine (the real calls).
#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "foundation/narrow_string.h"
#include "foundation/text_services.h"
#include "foundation/utf8.h"
#include "foundation/wide_string.h"

namespace {

std::string BytesOf(const NarrowString& s) {
    return std::string(s.Text(), s.Length());
}

TEST(TextServices, UpperUnitMapsAsciiAndLatin1) {
    const struct {
        char16_t unit, upper;
    } rows[] = {
        {u'a', u'A'},
        {u'z', u'Z'},
        {u'A', u'A'},
        {u'1', u'1'},
        {u'\u00E4', u'\u00C4'},
        {u'\u00FC', u'\u00DC'},
        {u'\u00FE', u'\u00DE'},
        {u'\u00F7', u'\u00F7'},  // division sign
        {u'\u00DF', u'\u00DF'},  // sharp s has no single-unit capital
        {0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.unit));
        EXPECT_EQ(UpperUnit(row.unit), row.upper);
    }
}

TEST(TextServices, UpperAnsiByteFollowsCodePage1252) {
    // Bytes above 127 follow the ANSI code page: under Wine that is the
    // prefix's code page, which these tests expect to be 1252.
    const struct {
        unsigned char byte, upper;
    } rows[] = {
        {'a', 'A'},   {'m', 'M'},   {'Z', 'Z'},   {'%', '%'},   {0xFC, 0xDC},
        {0xE4, 0xC4}, {0xF7, 0xF7}, {0x9A, 0x8A}, {0xFF, 0x9F},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.byte));
        EXPECT_EQ(UpperAnsiByte(row.byte), row.upper);
    }
}

TEST(TextServices, AnsiToWideMapsCodePage1252) {
    const unsigned char bytes[] = {'A', 0xFC, 0x80, 0x9F, 0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xFF, 0};
    const char16_t expected[] = {u'A',   0x00FC, 0x20AC, 0x0178, 0x0081, 0x008D,
                                 0x008F, 0x0090, 0x009D, 0x00FF, 0};
    char16_t units[11];
    EXPECT_EQ(AnsiToWide(reinterpret_cast<const char*>(bytes), 11, units, 11), 11);
    EXPECT_EQ(std::u16string(units, 11), std::u16string(expected, 11));
}

TEST(WideStringAnsi, AssignAnsiConvertsAndKeepsAnAllocatedEmptyText) {
    const struct {
        const char* text;
        const char16_t* expected;
        uint32_t capacity;
    } rows[] = {
        {nullptr, u"", 7},
        {"", u"", 7},
        {"Gr\xFC\xDF"
         "e",
         u"Gr\u00FC\u00DFe", 7},
        {"\x80 5", u"\u20AC 5", 7},
        {"0123456789abcdef", u"0123456789abcdef", 23},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        WideString s;
        s.AssignAnsi(row.text);
        EXPECT_EQ(std::u16string(s.Text()), row.expected);
        EXPECT_EQ(s.Capacity(), row.capacity);
        EXPECT_NE(s.Record(), nullptr);
    }
}

TEST(WideStringUtf8, ToUtf8GivesTheBytesWithoutTerminator) {
    const struct {
        const char16_t* text;
        std::string bytes;
        uint32_t capacity;
    } rows[] = {
        {u"", "", 7},
        {u"abcdef", "abcdef", 15},  // n = 7 with the terminator
        {u"\u00FC", "\xC3\xBC", 7},
        {u"\u20AC", "\xE2\x82\xAC", 7},
        {u"a\U0001F3B5b",
         "a\xF0\x9F\x8E\xB5"
         "b",
         15},  // a surrogate pair: four bytes
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        WideString s;
        s.AssignText(row.text);
        const WideStringRecord* record = s.Record();
        const NarrowString utf8 = s.ToUtf8();
        EXPECT_EQ(BytesOf(utf8), row.bytes);
        EXPECT_EQ(utf8.Capacity(), row.capacity);
        EXPECT_NE(utf8.Record(), nullptr);
        EXPECT_EQ(s.Record(), record);
    }
}

TEST(WideStringUtf8, LoneSurrogatesConvertWithoutHarm) {
    // Both platforms write U+FFFD for a lone surrogate with flags 0.
    for (const char16_t* text : {u"a\xD800"
                                 "b",
                                 u"a\xDC00", u"\xD83C"}) {
        SCOPED_TRACE(::testing::Message() << int(text[1]));
        WideString s;
        s.AssignText(text);
        const std::string bytes = BytesOf(s.ToUtf8());
        EXPECT_NE(bytes.find("\xEF\xBF\xBD"), std::string::npos) << bytes;
        EXPECT_EQ(bytes.size(), s.Length() + 2u);  // one unit became three bytes
    }
}

TEST(WideStringUtf8, PiecesGiveTheBytesOfTheJoinedText) {
    // Cut at every point, a pair split between two pieces included: the bytes are those of
    // the whole text (under Wine also those of WideCharToMultiByte).
    for (const std::u16string text :
         {u"ab\U0001F3B5c\u00FC\u20AC", u"\xD800\xD800\xDC00", u"x\xDC00\xD83C", u"\xD83C"}) {
        WideString whole;
        whole.AssignText(text.c_str());
        const std::string expected = BytesOf(whole.ToUtf8());
#ifdef _WIN32
        char reference[64] = {};
        const int referenceBytes =
            WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.c_str()),
                                int(text.size()), reference, sizeof reference, nullptr, nullptr);
        EXPECT_EQ(expected, std::string(reference, referenceBytes));
#endif
        for (uint32_t cut = 0; cut <= text.size(); ++cut) {
            SCOPED_TRACE(::testing::Message() << "cut " << cut);
            const TextPiece pieces[] = {{text.c_str(), cut},
                                        {text.c_str() + cut, uint32_t(text.size() - cut)}};
            EXPECT_EQ(BytesOf(JoinAsUtf8(pieces, 2)), expected);
        }
    }
}

}  // namespace
