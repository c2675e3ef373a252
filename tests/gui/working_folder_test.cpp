// The genre file and the launcher template are looked up beside the program file, never in
// the current folder: a program started from another folder (a shortcut's working folder, a
// command prompt in the music folder) must not take files that happen to lie there. The test
// program runs with its own folder as the current one, so only a different current folder
// tells a name relative to it from a name beside the program.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/launcher_dialog.h"
#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/menu_capture.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"

namespace {

const char16_t kGenreFileName[] = u"Genre-Men\u00fc.txt";
const char16_t kTemplateFileName[] = u"Tonschleuder-Vorlage.htm";

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The folder of this test program, which stands in for the program file's folder.
std::u16string ProgramFolderPath() {
    wchar_t module[4096] = {};
    GetModuleFileNameW(nullptr, module, 4096);
    const std::u16string path = reinterpret_cast<const char16_t*>(module);
    return path.substr(0, path.rfind(u'\\') + 1);
}

// A file beside the program for the lifetime of the object; with no bytes, makes sure there
// is none.
class FileBesideProgram {
  public:
    FileBesideProgram(const char16_t* name, const std::optional<std::string>& bytes)
        : path_(ProgramFolderPath() + name) {
        DeleteFileW(W(path_));
        ready_ = bytes ? support::WriteBytes(path_, *bytes) : !support::Exists(path_);
    }
    ~FileBesideProgram() { DeleteFileW(W(path_)); }
    FileBesideProgram(const FileBesideProgram&) = delete;
    FileBesideProgram& operator=(const FileBesideProgram&) = delete;
    bool Ready() const { return ready_; }

  private:
    std::u16string path_;
    bool ready_ = false;
};

// A scratch folder holding the given files, made the current folder; the previous current
// folder is restored before the scratch folder is removed.
class ScratchCurrentFolder {
  public:
    explicit ScratchCurrentFolder(const std::vector<std::pair<std::u16string, std::string>>& files)
        : folder_(support::MakeScratchFolder(u"current")) {
        const DWORD room = GetCurrentDirectoryW(0, nullptr);
        previous_.resize(room);
        previous_.resize(GetCurrentDirectoryW(room, previous_.data()));
        entered_ = !previous_.empty();
        for (const auto& [name, bytes] : files)
            entered_ = support::WriteBytes(folder_ + name, bytes) && entered_;
        entered_ = entered_ && SetCurrentDirectoryW(W(folder_));
    }
    ~ScratchCurrentFolder() {
        SetCurrentDirectoryW(previous_.c_str());
        support::RemoveTree(folder_);
    }
    ScratchCurrentFolder(const ScratchCurrentFolder&) = delete;
    ScratchCurrentFolder& operator=(const ScratchCurrentFolder&) = delete;
    bool Entered() const { return entered_; }

  private:
    std::u16string folder_;
    std::wstring previous_;
    bool entered_ = false;
};

TEST(FilesBesideTheProgram, GenreFileInTheCurrentFolderIsNotRead) {
    ScratchCurrentFolder current({{kGenreFileName, Utf16Bytes(u"Aus dem aktuellen Ordner\r\n")}});
    ASSERT_TRUE(current.Entered());
    const struct {
        const char* name;
        std::optional<std::string> besideProgram;
        size_t items;
        const char16_t* firstItem;
    } rows[] = {
        // The built-in list: 161 entries less the three separators that would open a column.
        {"no genre file beside the program", std::nullopt, 158, u"Rock"},
        {"a genre file beside the program", Utf16Bytes(u"Aus dem Programmordner\r\n"), 1,
         u"Aus dem Programmordner"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FileBesideProgram file(kGenreFileName, row.besideProgram);
        ASSERT_TRUE(file.Ready());
        // The genre list is loaded when the dialog starts.
        HWND dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
        MenuAnswer answer(0);
        // The click moves the mouse onto the button; put it back, since a drop-down that a
        // later test opens under the mouse would pick the entry beneath it.
        POINT cursor{};
        GetCursorPos(&cursor);
        ClickButton(dialog, IDB_GENRE_MENU);
        SetCursorPos(cursor.x, cursor.y);
        CloseDialog(dialog);
        const SeenMenu& menu = answer.Seen();
        ASSERT_EQ(menu.timesShown, 1);
        ASSERT_EQ(menu.items.size(), row.items);
        EXPECT_EQ(menu.items[0].text, row.firstItem);
        EXPECT_EQ(menu.IndexOfText(u"Aus dem aktuellen Ordner"), -1);
    }
}

TEST(FilesBesideTheProgram, TemplateInTheCurrentFolderIsNotRead) {
    ScratchCurrentFolder current(
        {{kTemplateFileName, "<html>Aus dem aktuellen Ordner %callRuns%</html>"}});
    ASSERT_TRUE(current.Entered());
    const std::u16string tracks = support::MakeScratchFolder(u"current-tracks");
    const std::u16string launcher = tracks + u"Lame-Aufruf.hta";
    ASSERT_TRUE(support::WriteBytes(tracks + u"lame.exe", "MZ"));
    const struct {
        const char* name;
        std::optional<std::string> besideProgram;
        std::string opening;
    } rows[] = {
        {"no template beside the program: the built-in one", std::nullopt,
         "<html>\r\n<head>\r\n\t<title>Call Lame</title>"},
        {"a template beside the program", "<html>Aus dem Programmordner %callRuns%</html>",
         "<html>Aus dem Programmordner \tcallRun ("},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FileBesideProgram file(kTemplateFileName, row.besideProgram);
        ASSERT_TRUE(file.Ready());
        DeleteFileW(W(launcher));
        HWND dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
        support::SetFieldText(dialog, IDE_LAME_PATH, tracks + u"lame.exe");
        DropFiles(dialog, {tracks + u"a.wav"});
        MessageBoxRecorder recorder;
        support::PressBatchButton(dialog);
        CloseDialog(dialog);
        EXPECT_EQ(recorder.Texts(),
                  std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
        const std::string written = support::ReadBytes(launcher);
        EXPECT_EQ(written.substr(0, row.opening.size()), row.opening);
        EXPECT_EQ(written.find("aktuellen Ordner"), std::string::npos);
    }
    support::RemoveTree(tracks);
}

}  // namespace

// On the first start (no path stored) a lame.exe beside the program is shown by its full path,
// as the release zip brings one; a stored path wins, and a lame.exe in the current folder only
// is not taken for the program's.
TEST(FilesBesideTheProgram, FirstStartShowsTheLameExeBesideTheProgramUnlessAPathIsStored) {
    const wchar_t kSettingsRoot[] = L"Software\\Morgenfeld-Software";
    const wchar_t kSettingsKey[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";
    const std::u16string stored = u"D:\\Werkzeug\\lame.exe";
    const std::u16string bundled = ProgramFolderPath() + u"lame.exe";
    ScratchCurrentFolder current({{u"lame.exe", "MZ"}});
    ASSERT_TRUE(current.Entered());
    const struct {
        const char* name;
        bool besideProgram;
        bool pathStored;
        std::u16string shown;
    } rows[] = {
        {"lame.exe beside the program, nothing stored", true, false, bundled},
        {"no lame.exe beside the program, nothing stored", false, false, u"Lame.exe"},
        {"lame.exe beside the program, a path stored", true, true, stored},
        {"no lame.exe beside the program, a path stored", false, true, stored},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
        if (row.pathStored) {
            ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"Lame-Path", REG_SZ,
                                      W(stored), static_cast<DWORD>((stored.size() + 1) * 2)),
                      ERROR_SUCCESS);
        }
        FileBesideProgram file(u"lame.exe",
                               row.besideProgram ? std::optional<std::string>("MZ") : std::nullopt);
        ASSERT_TRUE(file.Ready());
        HWND dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(ControlText(dialog, IDE_LAME_PATH), row.shown);
        CloseDialog(dialog);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
}
