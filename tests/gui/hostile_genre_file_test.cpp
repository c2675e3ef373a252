// Hostile genre files beside the program: huge, binary, without a line end, one huge line.
// The dialog must still open, the genre menu must still open, and a chosen entry must land
// in "Genre:" as a sensible genre.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/hostile_support.h"
#include "gui/menu_capture.h"
#include "resources/control_ids.h"

using namespace hostile;

namespace {

// Fills the chunk with the pattern repeated from the file's first byte on.
void Tile(std::string& chunk, uint64_t offset, const std::string& pattern) {
    size_t at = static_cast<size_t>(offset % pattern.size());
    for (size_t i = 0; i < chunk.size();) {
        const size_t n = std::min(chunk.size() - i, pattern.size() - at);
        std::memcpy(&chunk[i], pattern.data() + at, n);
        i += n;
        at = 0;
    }
}

class HostileGenreFile : public ::testing::Test {
  protected:
    void TearDown() override {
        CloseDialog(dialog_);
        genreFile_.Remove();
    }

    // Opens a fresh dialog, which loads the genre list; yields its time in milliseconds.
    double OpenDialog() {
        Stopwatch watch;
        dialog_ = OpenFreshDialog();
        return watch.Milliseconds();
    }

    // Opens the genre menu, chooses the item with this id (0: dismisses it) and yields what
    // the menu showed.
    SeenMenu ChooseGenre(UINT id) {
        MenuAnswer answer(id);
        ClickButton(dialog_, IDB_GENRE_MENU);
        return answer.Seen();
    }

    // Every string item is a sensible menu row: at most 128 units, no control character,
    // no blank or tab at its end; no separator directly after another.
    static void ExpectSaneRows(const SeenMenu& menu) {
        for (size_t i = 0; i < menu.items.size(); ++i) {
            const SeenMenuItem& item = menu.items[i];
            SCOPED_TRACE("item " + std::to_string(i) + ": " + Utf8(item.text));
            if (item.IsSeparator()) {
                ASSERT_GT(i, 0u) << "the menu begins with a separator";
                EXPECT_FALSE(menu.items[i - 1].IsSeparator());
                continue;
            }
            EXPECT_LE(item.text.size(), 128u);
            EXPECT_TRUE(std::none_of(item.text.begin(), item.text.end(),
                                     [](char16_t unit) { return unit < 0x20; }));
            if (!item.text.empty()) {
                EXPECT_NE(item.text.back(), u' ');
                EXPECT_NE(item.text.back(), u'\t');
            }
        }
    }

    BesideProgram genreFile_{u"Genre-Menü.txt"};
    HWND dialog_ = nullptr;
};

// 100 MB of short genre lines: millions of entries, far more than a menu can show.
TEST_F(HostileGenreFile, HundredMegabytesOfLinesStillOpenAndChoose) {
    std::u16string lines;
    for (int i = 0; i < 1000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Genre %06d\r\n", i);
        for (const char* c = line; *c; ++c) lines += static_cast<char16_t>(*c);
    }
    const std::string pattern = Utf16Bytes(lines);
    ASSERT_TRUE(genreFile_.WriteGenerated(
        100ull << 20, [&](std::string& chunk, uint64_t offset) { Tile(chunk, offset, pattern); }));

    Watchdog dog(180);
    const double openMs = OpenDialog();
    ASSERT_NE(dialog_, nullptr);

    Stopwatch menuWatch;
    const SeenMenu menu = ChooseGenre(1);
    const double menuMs = menuWatch.Milliseconds();
    ASSERT_EQ(menu.timesShown, 1);
    ASSERT_FALSE(menu.items.empty());
    ExpectSaneRows(menu);
    EXPECT_EQ(Utf8(menu.items[0].text), "Genre 000000");
    EXPECT_EQ(Utf8(ControlText(dialog_, IDE_GENRE)), "Genre 000000");
    std::printf(
        "[ timing   ] 100 MB genre file: dialog opened in %.0f ms, menu of %zu rows in %.0f ms\n",
        openMs, menu.items.size(), menuMs);
}

TEST_F(HostileGenreFile, BinaryFileGivesSaneEntriesAndAChoiceWorks) {
    // Random units: control characters end a line's content, CR and LF are rare, lone
    // surrogates and ampersands are frequent.
    ASSERT_TRUE(genreFile_.Write(BinaryBytes(1 << 20, 0x2545F491u)));
    OpenDialog();
    ASSERT_NE(dialog_, nullptr);

    const SeenMenu shown = ChooseGenre(0);
    ASSERT_EQ(shown.timesShown, 1);
    ASSERT_FALSE(shown.items.empty());
    ExpectSaneRows(shown);
    EXPECT_TRUE(ControlText(dialog_, IDE_GENRE).empty()) << "dismissed: nothing chosen";

    // The first row is a text entry; choosing it puts its text in "Genre:" without leading
    // blanks and with "&&" made "&".
    const SeenMenuItem first = shown.items[0];
    ASSERT_FALSE(first.IsSeparator());
    std::u16string expected = first.text.substr(first.text.find_first_not_of(u' '));
    for (size_t at = expected.find(u"&&"); at != std::u16string::npos; at = expected.find(u"&&"))
        expected.erase(at, 1);
    ChooseGenre(first.id);
    EXPECT_EQ(Utf8(ControlText(dialog_, IDE_GENRE)), Utf8(expected));
}

struct GenreCase {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> rows;  // the menu's rows, in order
};

TEST_F(HostileGenreFile, FilesWithoutLineEndOrWithOneHugeLine) {
    std::string hugeLine(20 << 20, '\0');
    for (size_t i = 0; i < hugeLine.size(); i += 2)
        hugeLine[i] = static_cast<char>('a' + i / 2 % 26);
    std::u16string first128;
    for (int i = 0; i < 128; ++i) first128 += static_cast<char16_t>(u'a' + i % 26);
    std::string hugeBlankLine(20 << 20, '\0');
    for (size_t i = 0; i < hugeBlankLine.size(); i += 2) hugeBlankLine[i] = ' ';

    const GenreCase cases[] = {
        {"one genre, no line end", Utf16Bytes(u"Jazz"), {u"Jazz"}},
        {"one unit, no line end", Utf16Bytes(u"J"), {u"J"}},
        {"odd final byte", Utf16Bytes(u"Soul\r\nFunk") + "F", {u"Soul", u"Funk"}},
        {"indented, no line end", Utf16Bytes(u"  Blues"), {u"  Blues"}},
        {"20 MB in one line", hugeLine, {first128}},
        {"20 MB of blanks in one line", hugeBlankLine, {u"Rock", u"Pop"}},
        {"20 MB line then a genre", hugeLine + Utf16Bytes(u"\nSka"), {first128, u"Ska"}},
    };
    Watchdog dog(180);
    for (const GenreCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(genreFile_.Write(c.bytes));
        OpenDialog();
        ASSERT_NE(dialog_, nullptr);

        const SeenMenu menu = ChooseGenre(1);
        ASSERT_EQ(menu.timesShown, 1);
        std::vector<std::string> rows, expected;
        for (const SeenMenuItem& item : menu.items) rows.push_back(Utf8(item.text));
        for (const std::u16string& row : c.rows) expected.push_back(Utf8(row));
        EXPECT_EQ(rows, expected);
        std::u16string chosen = c.rows[0];
        chosen.erase(0, chosen.find_first_not_of(u' '));
        EXPECT_EQ(Utf8(ControlText(dialog_, IDE_GENRE)), Utf8(chosen));
        CloseDialog(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(HostileGenreFile, FilesWithoutAnyTextGiveTheBuiltInList) {
    const std::pair<const char*, std::string> cases[] = {
        {"one single byte", "R"},
        {"only NUL units", std::string(4096, '\0')},
        {"NUL first, then genres", Utf16Bytes(std::u16string(1, u'\0') + u"Jazz\r\nSoul")},
        {"a folder of that name", ""},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        if (std::string(name) == "a folder of that name") {
            genreFile_.Remove();
            ASSERT_TRUE(genreFile_.MakeFolder());
        } else {
            ASSERT_TRUE(genreFile_.Write(bytes));
        }
        OpenDialog();
        ASSERT_NE(dialog_, nullptr);
        const SeenMenu menu = ChooseGenre(0);
        ASSERT_EQ(menu.items.size(), 158u) << "the built-in list less three dropped separators";
        EXPECT_EQ(Utf8(menu.items[0].text), "Rock");
        EXPECT_EQ(Utf8(menu.items[1].text), "  Rock && Roll");
        CloseDialog(dialog_);
        dialog_ = nullptr;
    }
}

}  // namespace
