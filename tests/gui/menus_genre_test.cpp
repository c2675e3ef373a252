// The "<" button beside "Genre:": the genre menu in columns, from the built-in list or the
// genre file beside the program.
#include <gtest/gtest.h>

#include <string>

#include "gui/harness.h"
#include "gui/menu_capture.h"
#include "resources/control_ids.h"

namespace {

// Item ids are the entries' positions in the list plus one.
constexpr UINT kRockAndRollId = 2;
constexpr UINT kPowerBalladId = 14;

class GenreMenuTest : public ::testing::Test {
  protected:
    void SetUp() override { Open(); }
    void TearDown() override { CloseDialog(dialog); }

    void Open() {
        dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
    }
    void Reopen() {
        CloseDialog(dialog);
        Open();
    }

    HWND dialog = nullptr;
};

// Puts "Genre-Menü.txt" beside the test program (as it would lie beside the program) and
// removes it again.
class GenreFileBesideProgram {
  public:
    explicit GenreFileBesideProgram(const std::string& bytes) {
        std::wstring path(32768, L'\0');
        path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
        path.erase(path.rfind(L'\\') + 1);
        path_ = path + L"Genre-Men\u00fc.txt";
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
        written_ = written == bytes.size();
    }
    ~GenreFileBesideProgram() { DeleteFileW(path_.c_str()); }
    bool Written() const { return written_; }

  private:
    std::wstring path_;
    bool written_ = false;
};

TEST_F(GenreMenuTest, BuiltInListShowsFourColumnsOfForty) {
    MenuAnswer answer(0);
    ClickButton(dialog, IDB_GENRE_MENU);
    const SeenMenu& menu = answer.Seen();
    ASSERT_EQ(menu.timesShown, 1);
    EXPECT_EQ(menu.owner, dialog);
    // 161 entries less the three separators that would open a column.
    ASSERT_EQ(menu.items.size(), 158u);

    std::vector<size_t> columnStarts;
    int separators = 0;
    for (size_t i = 0; i < menu.items.size(); ++i) {
        const SeenMenuItem& item = menu.items[i];
        SCOPED_TRACE(i);
        if (i == 0 || item.OpensColumn()) {
            columnStarts.push_back(i);
            EXPECT_FALSE(item.IsSeparator());
        }
        if (item.IsSeparator()) {
            ++separators;
        } else {
            EXPECT_EQ(item.IsGrey(), item.text.empty());  // blank rows: empty and grey
        }
    }
    EXPECT_EQ(columnStarts, (std::vector<size_t>{0, 40, 80, 120}));
    EXPECT_EQ(separators, 8);
    const struct {
        size_t index;
        UINT id;
        const char16_t* text;
    } openers[] = {{0, 1, u"Rock"}, {40, 42, u"Pop"}, {80, 83, u"Hip-Hop"}, {120, 124, u"Musical"}};
    for (const auto& opener : openers) {
        SCOPED_TRACE(opener.index);
        EXPECT_EQ(menu.items[opener.index].id, opener.id);
        EXPECT_EQ(menu.items[opener.index].text, opener.text);
    }
    // The blank rows close columns 1 and 3.
    EXPECT_TRUE(menu.items[39].IsGrey());
    EXPECT_TRUE(menu.items[119].IsGrey());
    EXPECT_EQ(menu.items[kRockAndRollId - 1].text, u"  Rock && Roll");
    EXPECT_EQ(menu.items[kPowerBalladId - 1].text, u"    Power Ballad");
}

TEST_F(GenreMenuTest, ChosenEntryLosesIndentAndDoubledAmpersand) {
    DropFiles(dialog, {u"C:\\a.mp3", u"C:\\b.mp3"});
    SelectRows(dialog, {0, 1});
    const struct {
        UINT id;
        const char16_t* genre;
    } cases[] = {
        {kRockAndRollId, u"Rock & Roll"},
        {kPowerBalladId, u"Power Ballad"},
        {124, u"Musical"},  // first row of the fourth column
        {53, u"R&B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        MenuAnswer answer(c.id);
        ClickButton(dialog, IDB_GENRE_MENU);
        EXPECT_EQ(ControlText(dialog, IDE_GENRE), c.genre);
        EXPECT_EQ(TrackField(0, kGenre), c.genre);
        EXPECT_EQ(TrackField(1, kGenre), c.genre);
    }
}

TEST_F(GenreMenuTest, DismissedMenuAppliesNothing) {
    DropFiles(dialog, {u"C:\\a.mp3"});
    SelectRows(dialog, {0});
    SetDlgItemTextW(dialog, IDE_GENRE, L"Jazz");
    MenuAnswer answer(0);
    ClickButton(dialog, IDB_GENRE_MENU);
    EXPECT_EQ(answer.Seen().timesShown, 1);
    EXPECT_EQ(ControlText(dialog, IDE_GENRE), u"Jazz");
    EXPECT_EQ(TrackField(0, kGenre), u"");
}

TEST_F(GenreMenuTest, GenreFileBesideTheProgramReplacesTheBuiltInList) {
    // A comment after a tab, a blank line, a repeated separator, and one stray final byte.
    GenreFileBesideProgram file(
        Utf16Bytes(u"Jazz\r\nBlues\tmit Kommentar\r\n\r\n-\r\n-\r\n  Rock && Roll\n") + "X");
    ASSERT_TRUE(file.Written());
    Reopen();
    DropFiles(dialog, {u"C:\\a.mp3"});
    SelectRows(dialog, {0});

    MenuAnswer answer(5);
    ClickButton(dialog, IDB_GENRE_MENU);
    const SeenMenu& menu = answer.Seen();
    ASSERT_EQ(menu.items.size(), 5u);
    EXPECT_EQ(menu.Texts(),
              (std::vector<std::u16string>{u"Jazz", u"Blues", u"", u"", u"  Rock && Roll"}));
    EXPECT_TRUE(menu.items[2].IsGrey());
    EXPECT_TRUE(menu.items[3].IsSeparator());
    EXPECT_EQ(menu.items[4].id, 5u);
    EXPECT_EQ(TrackField(0, kGenre), u"Rock & Roll");
}

TEST_F(GenreMenuTest, EmptyOrSingleByteGenreFileFallsBackToTheBuiltInList) {
    for (const std::string& bytes : {std::string(), std::string("X")}) {
        SCOPED_TRACE(bytes.size());
        GenreFileBesideProgram file(bytes);
        ASSERT_TRUE(file.Written());
        Reopen();
        MenuAnswer answer(0);
        ClickButton(dialog, IDB_GENRE_MENU);
        EXPECT_EQ(answer.Seen().items.size(), 158u);
    }
}

TEST_F(GenreMenuTest, GenreFileWithoutEntriesOffersRockAndPop) {
    GenreFileBesideProgram file(Utf16Bytes(u"\r\n-\r\n\r\n"));
    ASSERT_TRUE(file.Written());
    Reopen();
    MenuAnswer answer(0);
    ClickButton(dialog, IDB_GENRE_MENU);
    EXPECT_EQ(answer.Seen().Texts(), (std::vector<std::u16string>{u"Rock", u"Pop"}));
}

TEST_F(GenreMenuTest, HugeGenreFileGivesAMenuOfItsFirstThousandEntries) {
    // 200,000 lines: loading every one would take minutes and the menu would never open.
    std::u16string lines;
    for (int i = 0; i < 200000; ++i) lines += u"Genre\r\n";
    GenreFileBesideProgram file(Utf16Bytes(u"Erste\r\n" + lines));
    ASSERT_TRUE(file.Written());
    Reopen();
    MenuAnswer answer(1);
    ClickButton(dialog, IDB_GENRE_MENU);
    ASSERT_EQ(answer.Seen().items.size(), 1000u);
    EXPECT_EQ(answer.Seen().items[999].id, 1000u);
    EXPECT_EQ(ControlText(dialog, IDE_GENRE), u"Erste");
}

}  // namespace
