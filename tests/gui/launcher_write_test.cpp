// The launcher write on the real dialog: its checks and messages, where the launcher goes, the
// question before replacing one, and a launcher written whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/launcher_dialog.h"
#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"
#include "support/tagged_files.h"

using namespace support;

namespace {

const wchar_t kSettingsRoot[] = L"Software\\Morgenfeld-Software";
const wchar_t kSettingsKey[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";
const char16_t kQuestion[] = u"Soll die bereits existierende Datei überschrieben werden?";
const char16_t kNotOpened[] = u"\r\nkonnte nicht zum Schreiben geöffnet werden!";
const char16_t kNotWritten[] = u"\r\nkonnte nicht vollständig geschrieben werden!";

std::u16string StoredLamePath() {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"Lame-Path", RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return u"<absent>";
    return reinterpret_cast<const char16_t*>(value);
}

void StoreLamePathRaw(const std::u16string& path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kSettingsKey, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"Lame-Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

// The launcher's line that names the encoder.
std::string LameExeLine(const std::u16string& path) {
    std::string literal;
    for (char c : Utf8(path)) literal += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "var lame_exe = \"\\\"" + literal + "\\\"\";\r\n";
}

class LauncherWrite : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
        OpenScene(u"launcher-write", u"Tools\\", "MZ");
        ASSERT_NE(dialog_, nullptr);
        tools_ = folder_ + u"Tools\\";
        music_ = folder_ + u"Musik\\";
        MakeFolders(music_);
        launcher_ = music_ + u"Lame-Aufruf.hta";
    }
    void TearDown() override {
        CloseScene();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
    }

    // Presses the batch button, answering the message boxes with these buttons in turn.
    std::vector<ShownMessage> Press(std::deque<int> answers = {}) {
        MessageBoxRecorder recorder(std::move(answers));
        PressBatchButton(dialog_);
        return recorder.Shown();
    }

    void ExpectBox(const ShownMessage& shown, const std::u16string& text,
                   const std::vector<int>& buttons) {
        EXPECT_EQ(PrintableText(shown.text), PrintableText(text));
        EXPECT_EQ(PrintableText(shown.caption), "Tonschleuder");
        EXPECT_EQ(shown.buttons, buttons);
        EXPECT_FALSE(shown.hasIcon);
        EXPECT_EQ(shown.owner, dialog_);
    }

    std::vector<std::string> ShownTexts(const std::vector<ShownMessage>& shown) {
        std::vector<std::string> texts;
        for (const ShownMessage& message : shown) texts.push_back(PrintableText(message.text));
        return texts;
    }

    std::u16string tools_, music_, launcher_;
};

TEST_F(LauncherWrite, EmptyPathFieldAsksForThePathAndStoresNothing) {
    DropFiles(dialog_, {music_ + u"a.wav"});
    for (const char16_t* typed : {u"", u"   ", u" \t "}) {
        SCOPED_TRACE(PrintableText(std::u16string(u"field: [") + typed + u"]"));
        SetFieldText(dialog_, IDE_LAME_PATH, typed);
        const auto shown = Press();
        ASSERT_EQ(shown.size(), 1u);
        ExpectBox(shown[0], u"Bitte geben Sie den Pfadname zu Lame.exe ein.", OkButtons());
        EXPECT_EQ(PrintableText(StoredLamePath()), "<absent>");
        EXPECT_FALSE(Exists(launcher_));
    }
}

TEST_F(LauncherWrite, PathToNothingIsWrongAndKeepsTheStoredPath) {
    StoreLamePathRaw(u"C:\\stored\\lame.exe");
    DropFiles(dialog_, {music_ + u"a.wav"});
    for (const std::u16string& typed : std::vector<std::u16string>{
             tools_ + u"lame.ex", folder_ + u"Nowhere\\lame.exe", u"lame-that-is-not-there.exe"}) {
        SCOPED_TRACE(PrintableText(typed));
        SetFieldText(dialog_, IDE_LAME_PATH, typed);
        const auto shown = Press();
        ASSERT_EQ(shown.size(), 1u);
        ExpectBox(shown[0], u"Der Pfad zu Lame.exe ist falsch!", OkButtons());
        EXPECT_EQ(PrintableText(StoredLamePath()), "C:\\stored\\lame.exe");
        EXPECT_FALSE(Exists(launcher_));
    }
}

TEST_F(LauncherWrite, EmptyListStoresTheTrimmedPathThenSaysSo) {
    // An existing folder counts as an existing path.
    const std::u16string typed = u" \t" + folder_ + u"Tools  ";
    SetFieldText(dialog_, IDE_LAME_PATH, typed);
    const auto shown = Press();
    ASSERT_EQ(shown.size(), 1u);
    ExpectBox(shown[0], u"Die Liste ist leer. Es wird nichts gespeichert!", OkButtons());
    EXPECT_EQ(PrintableText(StoredLamePath()), PrintableText(folder_ + u"Tools"));
    EXPECT_EQ(PrintableText(ControlText(dialog_, IDE_LAME_PATH)), PrintableText(typed));
}

TEST_F(LauncherWrite, WritesUtf8LauncherIntoTheFirstTracksFolderOnly) {
    const std::u16string other = folder_ + u"Other\\";
    MakeFolders(other);
    DropFiles(dialog_, {music_ + u"Grüße \U0001F3B5.wav", other + u"b.mp3"});
    SetFieldText(dialog_, IDE_LAME_PATH, u"  " + lame_ + u"\t");
    const auto shown = Press();
    ASSERT_EQ(shown.size(), 1u);
    ExpectBox(shown[0], u"Lame-Aufruf.hta wurde geschrieben.", OkButtons());

    const std::string bytes = ReadBytes(launcher_);
    EXPECT_EQ(bytes.substr(0, 8), "<html>\r\n") << "no byte-order mark, CR LF line ends";
    EXPECT_NE(bytes.find(Utf8(u"Grüße \U0001F3B5")), std::string::npos);
    EXPECT_NE(bytes.find("Other\\\\b.mp3.mp3"), std::string::npos) << "the other track's output";
    EXPECT_NE(bytes.find(LameExeLine(lame_)), std::string::npos) << "the trimmed path";
    for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
        ASSERT_EQ(bytes[at - 1], '\r') << "bare line feed at byte " << at;
    EXPECT_EQ(FolderNames(music_), std::vector<std::u16string>{u"Lame-Aufruf.hta"})
        << "no temporary file is left";
    EXPECT_TRUE(FolderNames(other).empty());
    EXPECT_EQ(PrintableText(StoredLamePath()), PrintableText(lame_));
}

// A relative path passes the check against the current folder, but the launcher runs in the
// music's folder: it must name the file the check found. Field and setting keep the typing.
TEST_F(LauncherWrite, RelativePathReachesTheLauncherAsTheFullPathTheCheckFound) {
    DropFiles(dialog_, {music_ + u"a.wav"});
    const DWORD room = GetCurrentDirectoryW(0, nullptr);
    std::wstring previous(room, L'\0');
    previous.resize(GetCurrentDirectoryW(room, previous.data()));
    ASSERT_TRUE(SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(tools_.c_str())));
    for (const std::u16string typed : {u"Lame.exe", u".\\lame.exe", u"..\\Tools\\lame.exe"}) {
        SCOPED_TRACE(PrintableText(typed));
        DeleteFileW(reinterpret_cast<const wchar_t*>(launcher_.c_str()));
        SetFieldText(dialog_, IDE_LAME_PATH, typed);
        EXPECT_EQ(ShownTexts(Press()),
                  std::vector<std::string>{"Lame-Aufruf.hta wurde geschrieben."});
        const std::u16string found = typed == u"Lame.exe" ? tools_ + u"Lame.exe" : lame_;
        EXPECT_NE(ReadBytes(launcher_).find(LameExeLine(found)), std::string::npos);
        EXPECT_EQ(PrintableText(ControlText(dialog_, IDE_LAME_PATH)), PrintableText(typed));
        EXPECT_EQ(PrintableText(StoredLamePath()), PrintableText(typed));
    }
    SetCurrentDirectoryW(previous.c_str());
}

TEST_F(LauncherWrite, AnswerYesReplacesTheExistingLauncher) {
    WriteBytes(launcher_, "old");
    WriteBytes(music_ + u"Lame-Aufruf(1).hta", "one");
    DropFiles(dialog_, {music_ + u"a.wav"});
    const auto shown = Press({IDYES});
    ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(ShownTexts(shown));
    ExpectBox(shown[0], kQuestion, YesNoButtons());
    ExpectBox(shown[1], u"Lame-Aufruf.hta wurde geschrieben.", OkButtons());
    EXPECT_EQ(ReadBytes(launcher_).substr(0, 6), "<html>");
    EXPECT_EQ(ReadBytes(music_ + u"Lame-Aufruf(1).hta"), "one");
    EXPECT_EQ(FolderNames(music_),
              (std::vector<std::u16string>{u"Lame-Aufruf(1).hta", u"Lame-Aufruf.hta"}));
}

TEST_F(LauncherWrite, AnswerNoWritesTheFirstFreeNumberedName) {
    WriteBytes(launcher_, "old");
    WriteBytes(music_ + u"Lame-Aufruf(1).hta", "one");
    DropFiles(dialog_, {music_ + u"a.wav"});
    const auto shown = Press({IDNO});
    ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(ShownTexts(shown));
    ExpectBox(shown[0], kQuestion, YesNoButtons());
    ExpectBox(shown[1], u"Lame-Aufruf(2).hta wurde geschrieben.", OkButtons());
    EXPECT_EQ(ReadBytes(launcher_), "old");
    EXPECT_EQ(ReadBytes(music_ + u"Lame-Aufruf(1).hta"), "one");
    EXPECT_EQ(ReadBytes(music_ + u"Lame-Aufruf(2).hta").substr(0, 6), "<html>");
}

TEST_F(LauncherWrite, ReadOnlyLauncherIsNotOpenedAndStaysAsItWas) {
    DropFiles(dialog_, {music_ + u"a.wav"});
    WriteBytes(launcher_, "old");
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(launcher_.c_str()),
                       FILE_ATTRIBUTE_READONLY);
    const auto shown = Press({IDYES});
    ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(ShownTexts(shown));
    ExpectBox(shown[0], kQuestion, YesNoButtons());
    ExpectBox(shown[1], launcher_ + kNotOpened, OkButtons());
    EXPECT_EQ(ReadBytes(launcher_), "old");
    EXPECT_EQ(FolderNames(music_), std::vector<std::u16string>{u"Lame-Aufruf.hta"});

    SetFileAttributesW(reinterpret_cast<const wchar_t*>(launcher_.c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(LauncherWrite, LauncherInAFolderThatIsGoneCannotBeOpened) {
    DropFiles(dialog_, {folder_ + u"Gone\\a.wav"});
    const auto shown = Press();
    ASSERT_EQ(shown.size(), 1u) << ::testing::PrintToString(ShownTexts(shown));
    ExpectBox(shown[0], folder_ + u"Gone\\Lame-Aufruf.hta" + kNotOpened, OkButtons());
}

TEST_F(LauncherWrite, FailedWriteIsReportedAndLeavesNoBrokenLauncher) {
    DropFiles(dialog_, {music_ + u"a.wav"});
    // The launcher is written into "Lame-Aufruf.tmp" first; there every write fails, disk full.
    const std::u16string temporary = music_ + u"Lame-Aufruf.tmp";
    ASSERT_TRUE(LinkToDeviceFull(temporary)) << "cannot link to /dev/full";

    auto shown = Press();
    ASSERT_EQ(shown.size(), 1u) << ::testing::PrintToString(ShownTexts(shown));
    ExpectBox(shown[0], launcher_ + kNotWritten, OkButtons());
    EXPECT_FALSE(Exists(launcher_)) << "no launcher appears";

    WriteBytes(launcher_, "old launcher");
    ASSERT_TRUE(LinkToDeviceFull(temporary));
    shown = Press({IDYES});
    ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(ShownTexts(shown));
    ExpectBox(shown[0], kQuestion, YesNoButtons());
    ExpectBox(shown[1], launcher_ + kNotWritten, OkButtons());
    EXPECT_EQ(ReadBytes(launcher_), "old launcher");
}

// The folder of covers beside a launcher deep in folders is made too: Windows' CreateDirectoryW
// takes a folder of 248 units or more only in the extended-length form.
TEST_F(LauncherWrite, CoverFolderIsMadeBesideALauncherDeepInFolders) {
    // A folder of 235 units: its folder of covers has 253.
    const std::u16string folder = PathOfLength(music_, 236, u"\\");
    ASSERT_TRUE(MakeFolders(folder));
    const std::u16string source = folder + u"a.mp3";
    const std::filesystem::path file(std::wstring(source.begin(), source.end()));
    WriteMp3Body(file);
    ASSERT_TRUE(AddPictures(file, {{3, MakeJpeg(900)}}));
    DropFiles(dialog_, {source});
    std::vector<ShownMessage> shown;
    {
        WindowsFolderLimit limit;
        ASSERT_TRUE(limit.Active());
        shown = Press();
    }
    EXPECT_EQ(ShownTexts(shown), std::vector<std::string>{"Lame-Aufruf.hta wurde geschrieben."});
    EXPECT_EQ(FolderNames(folder + u"Lame-Aufruf-Cover\\").size(), 1u);
}

}  // namespace
