// The genre list: line rules, the built-in list, the menu's columns and the chosen text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tracks/genre_list.h"

namespace {

std::vector<std::u16string> EntriesOf(const PointerArray<WideString>& list) {
    std::vector<std::u16string> entries;
    for (uint32_t i = 0; i < list.Count(); ++i) entries.emplace_back(list.GetAt(i)->Text());
    return entries;
}

std::vector<std::u16string> Parse(const std::u16string& text) {
    PointerArray<WideString> list;
    ParseGenreText(text.c_str(), list);
    return EntriesOf(list);
}

struct ParseCase {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> expected;
};

TEST(GenreParse, AppliesTheLineRules) {
    const std::u16string line200(200, u'x');
    const ParseCase cases[] = {
        {"tab starts a comment, separators and blanks do not repeat",
         u"Jazz\r\nBlues\tmit Kommentar\r\n\r\n-\r\n-\r\nSoul",
         {u"Jazz", u"Blues", u"", u"-", u"Soul"}},
        {"leading blank line and separator are dropped", u"\r\n-\r\nRock\r\n", {u"Rock"}},
        {"all four line ends", u"A\r\nB\nC\rD\n\rE", {u"A", u"B", u"C", u"D", u"E"}},
        {"LF CR then LF CR is one empty line", u"A\n\r\n\rB", {u"A", u"", u"B"}},
        {"CR CR is two line ends", u"A\r\rB", {u"A", u"", u"B"}},
        {"LF LF is two line ends", u"A\n\nB", {u"A", u"", u"B"}},
        {"a trailing empty line is a blank entry", u"A\r\n\r\n", {u"A", u""}},
        {"a long line keeps its first 128 units", line200, {std::u16string(128, u'x')}},
        {"blanks before the cut are trimmed after it",
         std::u16string(127, u'y') + u"  tail",
         {std::u16string(127, u'y')}},
        {"a byte-order mark stays part of the first entry",
         u"\uFEFFRock\r\nPop",
         {u"\uFEFFRock", u"Pop"}},
        {"leading blanks are kept, trailing blanks cut",
         u"Rock\r\n  Rock && Roll  \r\n",
         {u"Rock", u"  Rock && Roll"}},
        {"a line of blanks is an empty line", u"A\r\n   \r\nB", {u"A", u"", u"B"}},
        {"a separator line is stored whole", u"A\r\n--- x\r\nB", {u"A", u"--- x", u"B"}},
        {"an indented minus is text", u"A\r\n  -", {u"A", u"  -"}},
        {"a separator may follow a blank entry", u"A\r\n\r\n-\r\nB", {u"A", u"", u"-", u"B"}},
        {"no blank entry after a separator", u"A\r\n-\r\n\r\nB", {u"A", u"-", u"B"}},
        {"any control character ends the content",
         u"A\x01"
         u"B\r\nC",
         {u"A", u"C"}},
        {"nothing but separators and empty lines", u"\r\n-\r\n\r\n--\r\n", {u"Rock", u"Pop"}},
        {"an empty text", u"", {u"Rock", u"Pop"}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Parse(c.text), c.expected);
    }
}

TEST(GenreParse, ReplacesTheListAndReadsNullAsEmpty) {
    PointerArray<WideString> list;
    ParseGenreText(u"Jazz\r\nSoul", list);
    ParseGenreText(nullptr, list);
    EXPECT_EQ(EntriesOf(list), (std::vector<std::u16string>{u"Rock", u"Pop"}));
}

TEST(GenreParse, TakesAtMostAThousandEntries) {
    std::u16string text;
    for (int i = 0; i < 1500; ++i) text += i % 3 == 2 ? u"\r\n" : u"Genre\r\n";
    PointerArray<WideString> list;
    ParseGenreText(text.c_str(), list);
    ASSERT_EQ(list.Count(), kGenreListMaxEntries);
    EXPECT_EQ(std::u16string(list.GetAt(998)->Text()), u"");  // blank entries count too
    EXPECT_EQ(std::u16string(list.GetAt(999)->Text()), u"Genre");
}

// The rows of each menu column, as the menu shows them.
struct MenuRow {
    GenreMenuItem item;
    std::u16string text;
};
std::vector<std::vector<MenuRow>> ColumnsOf(const PointerArray<WideString>& list) {
    std::vector<std::vector<MenuRow>> columns(1);
    uint32_t rows = 0;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        const GenreMenuItem item = NextGenreMenuItem(*list.GetAt(i), rows);
        if (item == GenreMenuItem::kSkip) continue;
        if (item == GenreMenuItem::kStringColumnBreak) columns.emplace_back();
        columns.back().push_back({item, list.GetAt(i)->Text()});
    }
    return columns;
}

std::vector<size_t> HeightsOf(const std::vector<std::vector<MenuRow>>& columns) {
    std::vector<size_t> heights;
    for (const auto& column : columns) heights.push_back(column.size());
    return heights;
}

TEST(BuiltInGenres, HoldsTheListWithItsQuirksReduced) {
    PointerArray<WideString> list;
    LoadBuiltInGenres(list);
    const std::vector<std::u16string> entries = EntriesOf(list);
    ASSERT_EQ(entries.size(), 161u);
    EXPECT_EQ(entries[0], u"Rock");  // ended by a lone LF
    EXPECT_EQ(entries[1], u"  Rock && Roll");
    EXPECT_EQ(entries[13], u"    Power Ballad");
    EXPECT_EQ(entries.back(), u"Other");
    int blanks = 0, separators = 0;
    for (const std::u16string& entry : entries) {
        SCOPED_TRACE(std::string(entry.begin(), entry.end()));
        EXPECT_LE(entry.size(), kGenreEntryMaxLength);
        if (entry.empty()) {
            ++blanks;
            continue;
        }
        if (entry[0] == u'-') ++separators;
        EXPECT_NE(entry.back(), u' ');
        EXPECT_NE(entry.back(), u'\t');
    }
    EXPECT_EQ(blanks, 2);
    EXPECT_EQ(separators, 11);
    EXPECT_NE(std::find(entries.begin(), entries.end(), u"Vocal"), entries.end());
    EXPECT_NE(std::find(entries.begin(), entries.end(), u"  Space"), entries.end());
}

TEST(BuiltInGenres, LaysOutAsFourColumnsWithoutSeparatorsOnTop) {
    PointerArray<WideString> list;
    LoadBuiltInGenres(list);
    const auto columns = ColumnsOf(list);
    EXPECT_EQ(HeightsOf(columns), (std::vector<size_t>{40, 40, 40, 38}));
    const char16_t* openers[] = {u"Rock", u"Pop", u"Hip-Hop", u"Musical"};
    for (size_t c = 0; c < columns.size() && c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(columns[c].front().text, openers[c]);
        EXPECT_EQ(columns[c].front().item,
                  c == 0 ? GenreMenuItem::kString : GenreMenuItem::kStringColumnBreak);
    }
    // The two blank rows close columns 1 and 3 and are greyed.
    EXPECT_EQ(columns[0].back().item, GenreMenuItem::kGreyBlank);
    EXPECT_EQ(columns[2].back().item, GenreMenuItem::kGreyBlank);
}

TEST(GenreMenuLayout, EightyFiveEntriesFillColumnsOfFortyFortyAndFive) {
    std::u16string text;
    for (int i = 0; i < 85; ++i) {
        text += u"G";
        text += static_cast<char16_t>(u'A' + i % 26);
        text += u"\r\n";
    }
    PointerArray<WideString> list;
    ParseGenreText(text.c_str(), list);
    ASSERT_EQ(list.Count(), 85u);
    EXPECT_EQ(HeightsOf(ColumnsOf(list)), (std::vector<size_t>{40, 40, 5}));
}

TEST(GenreMenuLayout, ColumnBreaksTakeSeparatorsAndBlankRowsAsTheyCome) {
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += u"T\r\n";
    // Row 41 is a blank entry: it opens column 2 as an ordinary, not greyed, empty item.
    text += u"\r\n-\r\n";
    for (int i = 0; i < 38; ++i) text += u"U\r\n";
    // Row 81 would be a separator: it is dropped and "V" opens column 3.
    text += u"-\r\nV\r\n";
    PointerArray<WideString> list;
    ParseGenreText(text.c_str(), list);
    const auto columns = ColumnsOf(list);
    ASSERT_EQ(HeightsOf(columns), (std::vector<size_t>{40, 40, 1}));
    EXPECT_EQ(columns[1][0].item, GenreMenuItem::kStringColumnBreak);
    EXPECT_EQ(columns[1][0].text, u"");
    EXPECT_EQ(columns[1][1].item, GenreMenuItem::kSeparator);
    EXPECT_EQ(columns[2][0].item, GenreMenuItem::kStringColumnBreak);
    EXPECT_EQ(columns[2][0].text, u"V");
}

TEST(ChosenGenre, LosesLeadingBlanksAndDoubledAmpersands) {
    const struct {
        const char16_t* shown;
        const char16_t* genre;
    } cases[] = {
        {u"  Rock && Roll", u"Rock & Roll"},
        {u"    Power Ballad", u"Power Ballad"},
        {u"  R&&B", u"R&B"},
        {u"A&&&&B", u"A&B"},  // a run of four ends as one
        {u"A&&&B", u"A&B"},
        {u"&&x&&", u"&x&"},
        {u"Drum & Bass", u"Drum & Bass"},
        {u"Jazz+Funk  ", u"Jazz+Funk  "},
        {u"   ", u""},
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::u16string(c.shown).size());
        WideString text;
        text.AssignText(c.shown);
        CleanChosenGenre(text);
        EXPECT_EQ(std::u16string(text.Text()), c.genre);
    }
}

TEST(ChosenGenre, LeavesAStringThatSharedTheTextAlone) {
    WideString original;
    original.AssignText(u"  R&&B");
    WideString chosen(original);
    CleanChosenGenre(chosen);
    EXPECT_EQ(std::u16string(chosen.Text()), u"R&B");
    EXPECT_EQ(std::u16string(original.Text()), u"  R&&B");
}

}  // namespace
