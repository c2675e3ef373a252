// The dialog keys through the program's own loop step, sent as a user's keyboard sends them:
// Enter presses the default button, Tab walks the tab order, Alt and a letter presses the
// button with that mnemonic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/launcher_dialog.h"
#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"

namespace {

const wchar_t kSettingsRoot[] = L"Software\\Morgenfeld-Software";
const char16_t kWrongPath[] = u"Der Pfad zu Lame.exe ist falsch!";

std::vector<std::string> Printable(const std::vector<std::u16string>& texts) {
    std::vector<std::string> printable;
    for (const std::u16string& text : texts) printable.push_back(PrintableText(text));
    return printable;
}

std::vector<std::u16string> Paths() {
    std::vector<std::u16string> paths;
    for (int i = 0; Track(i) != nullptr; ++i) paths.emplace_back(Track(i)->fields[kPath].Text());
    return paths;
}

class KeyboardLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
        dialog_ = OpenFreshDialog();
        ASSERT_NE(dialog_, nullptr);
        // A path to nothing: the launcher writer's first check answers at once and writes nothing.
        support::SetFieldText(dialog_, IDE_LAME_PATH, u"C:\\nirgends\\lame.exe");
    }
    void TearDown() override {
        CloseDialog(dialog_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
    }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }

    HWND dialog_ = nullptr;
};

TEST_F(KeyboardLoop, EnterInAFieldComboOrTheListWritesTheLauncher) {
    DropFiles(dialog_, {u"C:\\Musik\\a.wav", u"C:\\Musik\\b.wav"});
    SelectRows(dialog_, {0});  // enables the tag fields
    struct Row {
        const char* name;
        int focus;
    };
    const Row rows[] = {
        {"\"+\" field", IDE_EXTRA_ARGS}, {"Lame.exe path field", IDE_LAME_PATH},
        {"artist field", IDE_ARTIST},    {"genre field", IDE_GENRE},
        {"file list", IDL_FILES},        {"\"Modus:\" list", IDC_MODE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetFocus(Control(row.focus));
        ASSERT_EQ(GetFocus(), Control(row.focus));
        MessageBoxRecorder recorder;
        SendKeyThroughLoop(dialog_, VK_RETURN);
        EXPECT_EQ(Printable(recorder.Texts()), Printable({kWrongPath}));
        EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\Musik\\a.wav", u"C:\\Musik\\b.wav"}));
    }
}

TEST_F(KeyboardLoop, EnterWithAnEmptyListReachesTheEmptyListMessage) {
    // The path check passes with an existing folder; then the empty list is what it reports.
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    support::SetFieldText(dialog_, IDE_LAME_PATH, reinterpret_cast<const char16_t*>(windows));
    SetFocus(Control(IDE_EXTRA_ARGS));
    MessageBoxRecorder recorder;
    SendKeyThroughLoop(dialog_, VK_RETURN);
    EXPECT_EQ(Printable(recorder.Texts()),
              Printable({u"Die Liste ist leer. Es wird nichts gespeichert!"}));
}

TEST_F(KeyboardLoop, TabMovesToTheNextEnabledTabStopInTemplateOrder) {
    struct Row {
        const char* name;
        int from;
        int to;
    };
    const Row rows[] = {
        {"path field to its \"<\"", IDE_LAME_PATH, IDB_CHOOSE_LAME},
        {"\"+\" field to \"Modus:\" past the labels", IDE_EXTRA_ARGS, IDC_MODE},
        {"numbering past the disabled artist field", IDB_NUMBER, IDB_ARTIST_PIECE},
        {"genre \"<\" to the batch button", IDB_GENRE_MENU, IDB_BATCH},
        {"batch button round to the path field", IDB_BATCH, IDE_LAME_PATH},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetFocus(Control(row.from));
        ASSERT_EQ(GetFocus(), Control(row.from));
        SendKeyThroughLoop(dialog_, VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), row.to);
    }
    EXPECT_EQ(ControlText(dialog_, IDE_LAME_PATH), u"C:\\nirgends\\lame.exe") << "no tab typed";
}

TEST_F(KeyboardLoop, AltAndAMnemonicLetterPressesThatButton) {
    const std::u16string a = u"C:\\Musik\\a.wav", b = u"C:\\Musik\\b.wav", c = u"C:\\Musik\\c.wav";
    struct Row {
        const char* name;
        UINT letter;
        std::vector<std::u16string> paths;
        std::vector<int> selected;
    };
    const Row rows[] = {
        {"Alt+H: \"&hoch\"", 'H', {b, a, c}, {0}},
        {"Alt+R: \"&runter\"", 'R', {a, c, b}, {2}},
        {"Alt+L: \"&Löschen\"", 'L', {a, c}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<int> all;
        for (int i = 0; i < ListCount(dialog_); ++i) all.push_back(i);
        SelectRows(dialog_, all);
        SendMessageW(dialog_, WM_COMMAND, IDB_REMOVE, 0);
        ASSERT_EQ(ListCount(dialog_), 0);
        DropFiles(dialog_, {a, b, c});
        SelectRows(dialog_, {1});  // the list has the focus, as after a click
        MessageBoxRecorder recorder;
        SendKeyThroughLoop(dialog_, row.letter, false, true);
        EXPECT_EQ(Paths(), row.paths);
        EXPECT_EQ(SelectedRows(dialog_), row.selected);
        EXPECT_TRUE(recorder.Texts().empty()) << "the launcher writer did not run";
    }
}

}  // namespace
