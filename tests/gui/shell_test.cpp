// The shell: the dialog as the resources build it, its start state, the loop's
// keyboard rules and the end of the process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell_win.h"
#include "gui/harness.h"
#include "resources/control_ids.h"
#include "support/window_text_win.h"

#define WIDEN_LITERAL(text) L##text
#define WIDEN(text) WIDEN_LITERAL(text)

namespace {

struct ControlRow {
    int id;
    const char16_t* className;
    const char16_t* text;
    RECT units;  // x, y, width, height in dialog units
    DWORD requiredStyles;
};

// The thin border of edits is checked on its own: the dialog manager may turn an edit's
// WS_BORDER into WS_EX_CLIENTEDGE.
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
// WS_VSCROLL is not checked at run time: lists clear it while their scroll bar is hidden.
constexpr DWORD kCombo = CBS_DROPDOWNLIST | WS_TABSTOP;
constexpr DWORD kButton = WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

// Every control of dialog IDD_MAIN in template (and tab) order.
const ControlRow kControls[] = {
    {IDT_UNNAMED, u"Static", u"Lame.exe-Pfadname:", {9, 4, 69, 8}, WS_GROUP},
    {IDE_LAME_PATH, u"Edit", u"Lame.exe", {80, 3, 202, 12}, kEdit},
    {IDB_CHOOSE_LAME, u"Button", u"<", {285, 5, 9, 9}, kButton},
    {IDX_DELETE_ORIGINALS, u"Button", u"Orig. löschen", {46, 25, 59, 10}, kCheck},
    {IDT_UNNAMED, u"Static", u"Dateien:", {9, 25, 27, 8}, WS_GROUP | SS_NOPREFIX},
    {IDL_FILES,
     u"ListBox",
     u"",
     {6, 38, 192, 148},
     LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP},
    {IDB_UP, u"Button", u"&hoch", {7, 188, 36, 12}, kButton},
    {IDB_DOWN, u"Button", u"&runter", {48, 188, 36, 12}, kButton},
    {IDB_REMOVE, u"Button", u"&Löschen", {147, 188, 50, 12}, kButton},
    {IDT_UNNAMED, u"Static", u"Param.:", {155, 25, 25, 8}, WS_GROUP},
    {IDE_PARAMS, u"Edit", u"-b 128 -h", {181, 23, 90, 12}, kEdit | ES_READONLY},
    {IDT_UNNAMED, u"Static", u"+", {274, 25, 8, 8}, WS_GROUP},
    {IDE_EXTRA_ARGS, u"Edit", u"", {282, 23, 108, 12}, kEdit},
    {IDT_MODE, u"Static", u"Modus:", {204, 41, 24, 8}, WS_GROUP},
    {IDC_MODE, u"ComboBox", u"Automatisch", {229, 38, 57, 130}, kCombo},
    {IDT_QUALITY, u"Static", u"CBR/VBR:", {293, 41, 34, 8}, WS_GROUP},
    {IDC_QUALITY, u"ComboBox", u"CBR HQ", {327, 38, 64, 130}, kCombo},
    {IDT_BITRATE, u"Static", u"kBit/s:", {205, 59, 20, 8}, WS_GROUP},
    {IDC_BITRATE, u"ComboBox", u"128 Radio", {229, 56, 43, 130}, kCombo},
    {IDT_MAX_BITRATE, u"Static", u"max.:", {279, 58, 18, 8}, WS_GROUP},
    {IDC_MAX_BITRATE, u"ComboBox", u"320", {299, 56, 36, 130}, kCombo},
    {IDT_PRESET, u"Static", u"Prg.:", {340, 58, 16, 8}, WS_GROUP},
    {IDC_PRESET, u"ComboBox", u"<kein>", {356, 56, 36, 256}, kCombo},
    {IDG_TAGS, u"Button", u"ID3-Marken", {201, 74, 195, 125}, BS_GROUPBOX},
    {IDX_ID3V2, u"Button", u"ID3 V2", {236, 85, 37, 10}, kCheck},
    {IDX_ID3V2_ONLY, u"Button", u"nur ID3 V2", {236, 96, 50, 10}, kCheck},
    {IDB_NUMBER, u"Button", u"Lieder n&ummerieren", {317, 88, 73, 12}, kButton},
    {IDT_ARTIST, u"Static", u"Künstler:", {206, 110, 30, 8}, WS_GROUP},
    {IDE_ARTIST, u"Edit", u"", {236, 108, 142, 12}, kEdit},
    {IDB_ARTIST_PIECE, u"Button", u"<", {383, 111, 9, 9}, kButton},
    {IDT_ALBUM, u"Static", u"Album:", {206, 128, 23, 8}, WS_GROUP},
    {IDE_ALBUM, u"Edit", u"", {236, 126, 142, 12}, kEdit},
    {IDB_ALBUM_PIECE, u"Button", u"<", {383, 128, 9, 9}, kButton},
    {IDT_TITLE, u"Static", u"Titel:", {206, 146, 16, 8}, WS_GROUP},
    {IDE_TITLE, u"Edit", u"", {236, 144, 142, 12}, kEdit},
    {IDB_TITLE_PIECE, u"Button", u"<", {383, 145, 9, 9}, kButton},
    {IDT_COMMENT, u"Static", u"Notiz:", {206, 164, 19, 8}, WS_GROUP},
    {IDE_COMMENT, u"Edit", u"", {236, 162, 100, 12}, kEdit},
    {IDT_YEAR, u"Static", u"Jahr:", {340, 164, 17, 8}, WS_GROUP},
    {IDE_YEAR, u"Edit", u"", {360, 162, 30, 12}, kEdit},
    {IDT_TRACK_NUMBER, u"Static", u"Liednr.:", {206, 182, 25, 8}, WS_GROUP},
    {IDE_TRACK_NUMBER, u"Edit", u"", {236, 180, 24, 12}, kEdit},
    {IDT_GENRE, u"Static", u"Genre:", {266, 182, 23, 8}, WS_GROUP},
    {IDE_GENRE, u"Edit", u"", {291, 180, 87, 12}, kEdit},
    {IDB_GENRE_MENU, u"Button", u"<", {382, 181, 9, 9}, kButton},
    {IDB_BATCH, u"Button", u"Batch (.hta) &speichern", {306, 3, 84, 16}, WS_GROUP | WS_TABSTOP},
};

const int kTagFields[] = {IDE_ARTIST, IDE_ALBUM,        IDE_TITLE, IDE_COMMENT,
                          IDE_YEAR,   IDE_TRACK_NUMBER, IDE_GENRE};

std::u16string ClassOf(HWND window) {
    wchar_t buffer[64] = {};
    GetClassNameW(window, buffer, 64);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) out += unit < 128 ? static_cast<char>(unit) : '?';
    return out;
}

void DeleteSettingsKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
}

class Shell : public ::testing::Test {
  protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override {
        if (dialog_) CloseDialog(dialog_);
        DeleteSettingsKey();
    }
    HWND Open() { return dialog_ = OpenFreshDialog(); }
    HWND dialog_ = nullptr;
};

TEST_F(Shell, BuildsEveryControlOfTheTemplateInOrder) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), u"Tonschleuder V 1.6");
    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(GetMenu(dialog), nullptr);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(Narrow(row.text) + " id " + std::to_string(row.id));
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), row.id);
        EXPECT_EQ(ClassOf(child), row.className);
        if (ClassOf(child) != u"ComboBox") {
            EXPECT_EQ(WindowText(child), row.text);
        }
        LONG childStyle = GetWindowLongW(child, GWL_STYLE);
        EXPECT_EQ(childStyle & row.requiredStyles, static_cast<LONG>(row.requiredStyles));
        EXPECT_TRUE(childStyle & WS_VISIBLE);
        if (ClassOf(child) == u"ComboBox") {
            COMBOBOXINFO info = {};
            info.cbSize = sizeof(info);
            ASSERT_TRUE(GetComboBoxInfo(child, &info));
            EXPECT_FALSE(GetWindowLongW(child, GWL_STYLE) & CBS_SORT);
        }
        if (ClassOf(child) == u"Edit" || ClassOf(child) == u"ListBox") {
            EXPECT_TRUE((childStyle & WS_BORDER) ||
                        (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        }
        EXPECT_TRUE(childStyle & WS_CHILD);

        // Positions as the template gives them, in dialog units of the dialog's font; the
        // system converts position and size separately, so map them as four values.
        RECT expected = row.units;
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        if (ClassOf(child) != u"ComboBox") {
            // A combo's window is the closed box; the template height is with the list open.
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";
}

TEST(Resources, AcceleratorTableHasItsFourEntries) {
    HACCEL table = LoadProgramAccelerators(GetModuleHandleW(nullptr));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 8), 4);
    const ACCEL expected[] = {
        {FALT | FNOINVERT, '/', IDM_NOTHING},
        {FALT | FNOINVERT, '?', IDM_NOTHING},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'A', IDM_SELECT_ALL},
        {FVIRTKEY | FNOINVERT, VK_DELETE, IDB_REMOVE},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].fVirt, expected[i].fVirt);
        EXPECT_EQ(entries[i].key, expected[i].key);
        EXPECT_EQ(entries[i].cmd, expected[i].cmd);
    }
    DestroyAcceleratorTable(table);
}

TEST_F(Shell, StartsWithItsDefaults) {
    HWND dialog = Open();
    EXPECT_EQ(ControlText(dialog, IDE_PARAMS), u"-b 128 -h");
    EXPECT_EQ(ControlText(dialog, IDE_LAME_PATH), u"Lame.exe");
    EXPECT_EQ(ControlText(dialog, IDE_EXTRA_ARGS), u"");
    for (int id : kTagFields) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id)));
        EXPECT_EQ(ControlText(dialog, id), u"");
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MAX_BITRATE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_BITRATE)));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDX_DELETE_ORIGINALS), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDX_ID3V2), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDX_ID3V2_ONLY), BST_UNCHECKED);
    EXPECT_EQ(ListCount(dialog), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDE_LAME_PATH));
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_NE(GetClassLongPtrW(dialog, GCLP_HICON), 0);
}

TEST_F(Shell, ShowsTheStoredLamePath) {
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0", &key),
        ERROR_SUCCESS);
    const wchar_t path[] = L"C:\\Programme\\Lame\\lame.exe";
    RegSetValueExW(key, L"Lame-Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof(path));
    RegCloseKey(key);
    HWND dialog = Open();
    EXPECT_EQ(ControlText(dialog, IDE_LAME_PATH), u"C:\\Programme\\Lame\\lame.exe");
}

TEST_F(Shell, EscapeKeepsTheDialog) {
    HWND dialog = Open();
    SetFocus(GetDlgItem(dialog, IDE_EXTRA_ARGS));
    SendKeyThroughLoop(dialog, VK_ESCAPE);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));
}

// Records the commands that reach the dialog procedure.
std::vector<int> g_commands;
WNDPROC g_dialogProc = nullptr;
LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_commands.push_back(LOWORD(wParam));
    return CallWindowProcW(g_dialogProc, window, message, wParam, lParam);
}

TEST_F(Shell, AltSlashAndAltQuestionMarkAreConsumedByTheAccelerators) {
    HWND dialog = Open();
    HWND edit = GetDlgItem(dialog, IDE_EXTRA_ARGS);
    SetFocus(edit);
    g_commands.clear();
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands)));
    // Wine's accelerator translation reads Alt from the key state, Windows from lParam.
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    SendCharThroughLoop(dialog, u'/', true);
    SendCharThroughLoop(dialog, u'?', true);
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    PumpMessages();
    SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    EXPECT_EQ(g_commands, (std::vector<int>{IDM_NOTHING, IDM_NOTHING}));
    EXPECT_EQ(ControlText(dialog, IDE_EXTRA_ARGS), u"");
    EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(Shell, CtrlAInAnEditSelectsEveryTrackAndNotTheText) {
    HWND dialog = Open();
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\b.wav", u"C:\\c.wav"});
    SelectRows(dialog, {0, 1, 2});
    TypeInto(dialog, IDE_ARTIST, u"Queen");
    SelectRows(dialog, {0});
    HWND edit = GetDlgItem(dialog, IDE_ARTIST);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendKeyThroughLoop(dialog, 'A', true);
    EXPECT_EQ(SelectedRows(dialog), (std::vector<int>{0, 1, 2}));
    DWORD start = 1, end = 1;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"Queen");
}

TEST_F(Shell, CannotShrinkBelowItsStartSize) {
    HWND dialog = Open();
    RECT start;
    GetWindowRect(dialog, &start);
    MINMAXINFO info = {};
    SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, start.right - start.left);
    EXPECT_EQ(info.ptMinTrackSize.y, start.bottom - start.top);
}

// Each dialog holds its own state: a second dialog starts empty beside a first one with tracks.
TEST_F(Shell, EveryDialogOwnsItsState) {
    HWND first = Open();
    DropFiles(first, {u"C:\\a.wav"});
    HWND second = OpenFreshDialog();
    ASSERT_NE(second, nullptr);
    const DialogState* firstState = MainDialogState(first);
    const DialogState* secondState = MainDialogState(second);
    ASSERT_NE(firstState, nullptr);
    ASSERT_NE(secondState, nullptr);
    EXPECT_NE(firstState, secondState);
    EXPECT_EQ(firstState->tracks.Count(), 1u);
    EXPECT_EQ(secondState->tracks.Count(), 0u);
    EXPECT_EQ(secondState->dialog, second);
    EXPECT_EQ(secondState->controls.files, GetDlgItem(second, IDL_FILES));
    EXPECT_GT(secondState->genres.Count(), 0u);
    CloseDialog(second);
    EXPECT_EQ(MainDialogState(second), nullptr);
    EXPECT_EQ(MainDialogState(first)->tracks.Count(), 1u);
}

TEST(ShellProcess, RealProgramExitsWithCodeZeroOnClose) {
    wchar_t commandLine[] = L"\"" WIDEN(TONSCHLEUDER_EXE_PATH) L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    HWND window = nullptr;
    // The dialog is created hidden and shown afterwards: wait until it is visible.
    for (int i = 0; i < 300; ++i) {
        window = FindWindowW(L"#32770", L"Tonschleuder V 1.6");
        if (window && IsWindowVisible(window)) break;
        WaitForSingleObject(process.hProcess, 100);
    }
    ASSERT_NE(window, nullptr) << "the program showed no main window";
    ASSERT_TRUE(IsWindowVisible(window));
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
