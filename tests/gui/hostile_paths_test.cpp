// Hostile paths: 32,000 characters, every character a file name may hold, names that look
// like the launcher's placeholders, a drive root, a folder and 10,000 names in one drop.
// A track's path must reach the encoder's command line exactly as it was dropped.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <memory>

#include "gui/launcher_dialog.h"
#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/hostile_support.h"
#include "gui/menu_capture.h"
#include "resources/control_ids.h"
#include "tracks/folder_drop_win.h"

using namespace hostile;

namespace {

std::string Printable(const std::vector<std::u16string>& texts) {
    std::string out = "{";
    for (const std::u16string& text : texts) out += " [" + PrintableText(text) + "]";
    return out + " }";
}

// Input and output as the encoder must receive them for a source without tags.
std::vector<std::u16string> InputAndOutput(const std::u16string& source,
                                           const std::u16string& output) {
    return {source, output};
}

class HostilePaths : public LauncherTest {
  protected:
    // Forces every row to be painted now (WM_DRAWITEM for each visible row).
    void PaintList() {
        HWND list = GetDlgItem(dialog_, IDL_FILES);
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
    }
    // Opens the path menu of the button, finds the piece and chooses it with a second click.
    void ChoosePathPiece(int buttonId, const std::u16string& piece) {
        UINT id = 0;
        {
            MenuAnswer finder(0);
            ClickButton(dialog_, buttonId);
            const int index = finder.Seen().IndexOfText(piece);
            ASSERT_GE(index, 0) << "the menu does not offer " << PrintableText(piece);
            id = finder.Seen().items[index].id;
        }
        MenuAnswer chooser(id);
        ClickButton(dialog_, buttonId);
        EXPECT_EQ(chooser.Seen().timesShown, 1);
    }
    void ExpectTrackArguments(const std::vector<std::vector<std::u16string>>& expected) {
        const LauncherParts parts = ReadLauncher(Launcher());
        ASSERT_TRUE(parts.readable);
        ASSERT_EQ(parts.trackArguments.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(Printable(parts.trackArguments[i]), Printable(expected[i])) << "track " << i;
    }
};

// Every character a Windows file name may hold, besides letters and digits.
const char16_t kOddCharacters[] =
    u" '&%^[](){}!@#$~`=+,;-_.\u00e4\u00f6\u00fc\u00df\u00e9\u00f1\u4e2d\u0416"
    u"\u200b\u00a0\u2028\u2029\u0085\U0001F3B5\U0001D11E";

TEST_F(HostilePaths, EveryCharacterAFileNameMayHoldReachesTheEncoder) {
    const std::u16string folder =
        music_ + u"Rock'n'Roll & 100% ^Hits^ [Live] " + kOddCharacters + u"\\";
    const std::u16string source =
        folder + u"O'Brien & Co - 50% ^2^ [a] (b) {c}" + kOddCharacters + u".mp3";
    const std::u16string leadingBlank = folder + u" ^leading blank & no dot";
    ASSERT_TRUE(support::MakeFolders(folder));
    ASSERT_TRUE(support::WriteBytes(source, support::AudioBytes("ID3")));
    launcher_ = folder + u"Lame-Aufruf.hta";

    DropFiles(dialog_, {source, leadingBlank});
    ASSERT_EQ(ListCount(dialog_), 2);
    EXPECT_EQ(PrintableText(TrackField(0, kPath)), PrintableText(source));
    EXPECT_EQ(PrintableText(TrackField(1, kPath)), PrintableText(leadingBlank));
    PaintList();

    // The path menu offers the file name whole; chosen, it lands in "Titel:" exactly, "&"
    // and all, while the track's path stays as it was.
    SelectRows(dialog_, {0});
    const std::u16string fileName = source.substr(folder.size(), source.size() - folder.size() - 4);
    ChoosePathPiece(IDB_TITLE_PIECE, fileName);
    EXPECT_EQ(PrintableText(TrackField(0, kTitle)), PrintableText(fileName));
    EXPECT_EQ(PrintableText(TrackField(0, kPath)), PrintableText(source));

    EXPECT_EQ(Press(), std::vector<std::string>{Written(u"Lame-Aufruf.hta")});
    const LauncherParts parts = ReadLauncher(Launcher());
    ASSERT_TRUE(parts.readable);
    ASSERT_EQ(parts.trackArguments.size(), 2u);
    EXPECT_EQ(Printable(parts.trackArguments[0]),
              Printable({u"--tt", fileName, u"--mp3input", source, source + u".mp3"}));
    EXPECT_EQ(Printable(parts.trackArguments[1]),
              Printable(InputAndOutput(leadingBlank, leadingBlank + u".mp3")));
}

// Placeholders are filled in the template's own text only: a folder, a file or "+" arguments
// whose text looks like a placeholder reach the launcher as they are, and the script stays whole.
TEST_F(HostilePaths, NamesLookingLikePlaceholdersStayAsTheyAre) {
    const std::u16string tools = folder_ + u"%callRuns% %arg_comm% %delOrig%\\";
    const std::u16string lame = tools + u"lame.exe";
    ASSERT_TRUE(support::MakeFolders(tools));
    ASSERT_TRUE(support::WriteBytes(lame, "MZ"));
    support::SetFieldText(dialog_, IDE_LAME_PATH, lame);
    const std::u16string extra = u"--tc \"%callRuns% %lame_exe%\"";
    support::SetFieldText(dialog_, IDE_EXTRA_ARGS, extra);
    const std::u16string source = music_ + u"%lame_exe% %arg_comm% %callRuns%.wav";
    DropFiles(dialog_, {source});

    EXPECT_EQ(Press(), std::vector<std::string>{Written(u"Lame-Aufruf.hta")});
    const LauncherParts parts = ReadLauncher(Launcher());
    ASSERT_TRUE(parts.readable) << "a script literal of the launcher is broken";
    EXPECT_EQ(PrintableText(parts.lameExe), PrintableText(u"\"" + lame + u"\""));
    const std::u16string argEnd = u" " + extra;
    ASSERT_GE(parts.argComm.size(), argEnd.size());
    EXPECT_EQ(PrintableText(parts.argComm.substr(parts.argComm.size() - argEnd.size())),
              PrintableText(argEnd));
    ASSERT_EQ(parts.trackArguments.size(), 1u);
    EXPECT_EQ(Printable(parts.trackArguments[0]),
              Printable(InputAndOutput(source, music_ + u"%lame_exe% %arg_comm% %callRuns%.mp3")));
}

TEST_F(HostilePaths, ThirtyTwoThousandCharacterPathsStayWhole) {
    // Folders of 200 characters down to 32,000 in all: no such file can exist under Wine
    // (the host refuses paths beyond 4,096 bytes), but a drop may name one.
    std::u16string longPath = music_;
    for (int i = 0; longPath.size() < 32000 - 210; ++i)
        longPath += std::u16string(199, static_cast<char16_t>(u'a' + i % 26)) + u"\\";
    longPath += std::u16string(32000 - 4 - longPath.size(), u'z') + u".mp3";
    ASSERT_EQ(longPath.size(), 32000u);
    const std::u16string shortPath = music_ + u"a.wav";

    Watchdog dog(120);
    DropFiles(dialog_, {shortPath, longPath});
    ASSERT_EQ(ListCount(dialog_), 2);
    EXPECT_TRUE(TrackField(1, kPath) == longPath) << "the dropped name was cut or changed";
    PaintList();
    SelectRows(dialog_, {0, 1});
    PaintList();

    // The path menu of the long track offers its 200-character folders.
    SelectRows(dialog_, {1});
    ChoosePathPiece(IDB_ALBUM_PIECE, std::u16string(199, u'a'));
    EXPECT_EQ(PrintableText(TrackField(1, kAlbum)), PrintableText(std::u16string(199, u'a')));
    EXPECT_TRUE(TrackField(1, kPath) == longPath);

    // The launcher goes beside the first track and carries the long path whole, in the
    // extended-length form that Windows opens whatever its long-path setting.
    EXPECT_EQ(Press(), std::vector<std::string>{Written(u"Lame-Aufruf.hta")});
    const LauncherParts parts = ReadLauncher(Launcher());
    ASSERT_TRUE(parts.readable);
    ASSERT_EQ(parts.trackArguments.size(), 2u);
    EXPECT_EQ(parts.trackArguments[0], InputAndOutput(shortPath, music_ + u"a.mp3"));
    const std::vector<std::u16string> expected{u"--tl", std::u16string(199, u'a'), u"--mp3input",
                                               u"\\\\?\\" + longPath,
                                               u"\\\\?\\" + longPath + u".mp3"};
    EXPECT_TRUE(parts.trackArguments[1] == expected) << "the long path did not come through whole";

    // First in the list, the long path names a launcher that no system call can create: the
    // user is told which file could not be opened, and nothing else happens.
    SelectRows(dialog_, {1});
    support::ClickButton(dialog_, IDB_UP);
    ASSERT_TRUE(TrackField(0, kPath) == longPath);
    const std::u16string longLauncher =
        longPath.substr(0, longPath.rfind(u'\\') + 1) + u"Lame-Aufruf.hta";
    const std::string writtenBefore = Launcher();
    EXPECT_EQ(Press(), std::vector<std::string>{NotOpened(longLauncher)});
    EXPECT_EQ(Launcher(), writtenBefore);
}

TEST_F(HostilePaths, ThirtyTwoThousandCharacterLamePathIsWrong) {
    const std::u16string typed = folder_ + std::u16string(32000 - folder_.size(), u'L');
    support::SetFieldText(dialog_, IDE_LAME_PATH, typed);
    DropFiles(dialog_, {music_ + u"a.wav"});
    EXPECT_EQ(Press(),
              std::vector<std::string>{PrintableText(u"Der Pfad zu Lame.exe ist falsch!")});
    EXPECT_EQ(Launcher(), "<missing>");
}

TEST_F(HostilePaths, LamePathLongerThan260UnitsIsFoundAndALongLauncherFolderTaken) {
    // Beyond MAX_PATH, where a system with long paths turned on lets the program go.
    std::u16string deep = folder_;
    for (int i = 0; i < 3; ++i)
        deep += std::u16string(120, static_cast<char16_t>(u'p' + i)) + u"\\";
    ASSERT_TRUE(support::MakeFolders(deep));
    const std::u16string longLame = deep + u"lame.exe";
    ASSERT_GT(longLame.size(), 260u);
    ASSERT_TRUE(support::WriteBytes(longLame, "MZ"));
    support::SetFieldText(dialog_, IDE_LAME_PATH, longLame);
    // The launcher's existence test takes the long name too: the user is asked before it
    // is replaced.
    ASSERT_TRUE(support::WriteBytes(deep + u"Lame-Aufruf.hta", "old"));
    DropFiles(dialog_, {deep + u"a.wav"});
    EXPECT_EQ(Press({IDYES}),
              (std::vector<std::string>{
                  PrintableText(u"Soll die bereits existierende Datei überschrieben werden?"),
                  Written(u"Lame-Aufruf.hta")}));
}

// A dropped drive root brings the music in it: each path has one backslash after the drive.
TEST_F(HostilePaths, DroppedDriveRootBringsItsMusicWithOneBackslash) {
    // A drive letter for the scratch folder.
    std::unique_ptr<support::DriveMapping> drive;
    char16_t letter = 0;
    for (char16_t candidate = u'T'; candidate <= u'Y' && !letter; ++candidate) {
        drive = std::make_unique<support::DriveMapping>(candidate, folder_);
        if (drive->Active()) letter = candidate;
    }
    ASSERT_NE(letter, 0) << "no free drive letter from T: to Y:";
    const std::u16string root = std::u16string(1, letter) + u":\\";
    ASSERT_TRUE(support::WriteBytes(music_ + u"a.wav", support::AudioBytes("a")));

    DropFiles(dialog_, {root});
    ASSERT_TRUE(PumpUntil([] { return !IsListingFolders(*OpenDialogState()); }, 20000));
    std::vector<std::u16string> rows;
    for (int i = 0; i < ListCount(dialog_); ++i) rows.push_back(TrackField(i, kPath));
    EXPECT_NE(std::find(rows.begin(), rows.end(), root + music_.substr(folder_.size()) + u"a.wav"),
              rows.end());
    for (const std::u16string& row : rows) EXPECT_EQ(row.find(u"\\\\"), std::u16string::npos);
}

TEST_F(HostilePaths, TenThousandNamesInOneDrop) {
    std::vector<std::u16string> names;
    for (int i = 0; i < 10000; ++i)
        names.push_back(music_ + u"CD " + Decimal(i / 100, 3) + u"\\" + Decimal(i, 5) +
                        u" - O'Neil & Söhne 100% [Mix].mp3");
    ASSERT_TRUE(support::MakeFolders(music_ + u"CD 000\\"));
    launcher_ = music_ + u"CD 000\\Lame-Aufruf.hta";

    Watchdog dog(120);
    Stopwatch dropWatch;
    DropFiles(dialog_, names);
    const double dropMs = dropWatch.Milliseconds();
    ASSERT_EQ(ListCount(dialog_), 10000);
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(TrackField(i, kPath) == names[i]) << "track " << i;

    // Ctrl+A, then the selection change a click would add, then one keystroke in "Album:".
    SetFocus(GetDlgItem(dialog_, IDL_FILES));
    SendKeyThroughLoop(dialog_, 'A', true);
    ASSERT_EQ(SelectedRows(dialog_).size(), 10000u);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDL_FILES, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDL_FILES)));
    Stopwatch typeWatch;
    TypeInto(dialog_, IDE_ALBUM, u"X");
    const double typeMs = typeWatch.Milliseconds();
    EXPECT_EQ(Utf8(TrackField(9999, kAlbum)), "X");

    Stopwatch writeWatch;
    EXPECT_EQ(Press(), std::vector<std::string>{Written(u"Lame-Aufruf.hta")});
    const double writeMs = writeWatch.Milliseconds();
    const LauncherParts parts = ReadLauncher(Launcher());
    ASSERT_TRUE(parts.readable);
    ASSERT_EQ(parts.trackArguments.size(), 10000u);
    for (int i = 0; i < 10000; ++i) {
        const std::u16string& name = names[i];
        ASSERT_TRUE(
            parts.trackArguments[i] ==
            (std::vector<std::u16string>{u"--tl", u"X", u"--mp3input", name, name + u".mp3"}))
            << "track " << i;
    }
    std::printf(
        "[ timing   ] 10,000 names: drop %.0f ms, keystroke %.0f ms, launcher write %.0f ms\n",
        dropMs, typeMs, writeMs);
}

}  // namespace
