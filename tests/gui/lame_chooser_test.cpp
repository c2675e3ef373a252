// The "<" beside the Lame.exe path: the open-file dialog it shows, met by a hook that reads
// the dialog and answers as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/harness.h"

#include <dlgs.h>

#include "resources/control_ids.h"
#include "support/window_text_win.h"

namespace {

struct FileDialogVisit {
    bool seen = false;
    HWND owner = nullptr;
    std::vector<std::u16string> fileTypes;
    std::u16string initialName;
    std::u16string answerName;  // typed into the name field, then OK; empty: Cancel
};
FileDialogVisit* g_visit = nullptr;
HHOOK g_hook = nullptr;

// The name field is an edit (edt1) or, in the explorer style, a combo (cmb13).
HWND NameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13);
    return field ? field : GetDlgItem(dialog, edt1);
}

// Reads the dialog once its modal loop runs (the file types are filled after activation).
void CALLBACK ReadAndAnswer(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    HWND types = GetDlgItem(dialog, cmb1);
    g_visit->owner = GetWindow(dialog, GW_OWNER);
    int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        g_visit->fileTypes.push_back(reinterpret_cast<const char16_t*>(item));
    }
    g_visit->initialName = WindowText(NameField(dialog));
    if (g_visit->answerName.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        SetWindowTextW(NameField(dialog),
                       reinterpret_cast<const wchar_t*>(g_visit->answerName.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
}

LRESULT CALLBACK AnswerFileDialog(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_visit && !g_visit->seen) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        if (GetDlgItem(dialog, cmb1) && NameField(dialog)) {
            g_visit->seen = true;
            SetTimer(dialog, 1, 0, ReadAndAnswer);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

class LameChooser : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
        dialog_ = OpenFreshDialog();
        g_hook = SetWindowsHookExW(WH_CBT, AnswerFileDialog, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        UnhookWindowsHookEx(g_hook);
        g_visit = nullptr;
        CloseDialog(dialog_);
    }
    void Choose(FileDialogVisit& visit) {
        g_visit = &visit;
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDB_CHOOSE_LAME, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDB_CHOOSE_LAME)));
        PumpMessages();
    }
    HWND dialog_ = nullptr;
};

std::u16string ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return reinterpret_cast<const char16_t*>(path);
}

TEST_F(LameChooser, OffersProgramsFirstAndPutsTheChosenFileIntoThePathField) {
    FileDialogVisit visit;
    visit.answerName = ThisProgram();
    Choose(visit);
    ASSERT_TRUE(visit.seen) << "no open-file dialog was shown";
    EXPECT_EQ(visit.owner, dialog_);
    EXPECT_EQ(visit.fileTypes,
              (std::vector<std::u16string>{u"Progarmme (*.exe)", u"Alle Dateien (*.*)"}));
    EXPECT_EQ(visit.initialName, u"Lame.exe");
    EXPECT_EQ(ControlText(dialog_, IDE_LAME_PATH), ThisProgram());
    // Only the next launcher write stores the path.
    HKEY key;
    EXPECT_NE(
        RegOpenKeyW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0", &key),
        ERROR_SUCCESS);
}

TEST_F(LameChooser, CancelLeavesThePathFieldAsItWas) {
    SetDlgItemTextW(dialog_, IDE_LAME_PATH, L"C:\\Werkzeug\\lame.exe");
    FileDialogVisit visit;
    Choose(visit);
    ASSERT_TRUE(visit.seen);
    // The dialog shows the name part; it opens in the path's folder.
    EXPECT_EQ(visit.initialName, u"lame.exe");
    EXPECT_EQ(ControlText(dialog_, IDE_LAME_PATH), u"C:\\Werkzeug\\lame.exe");
}

}  // namespace
