#include "gui/harness.h"

#include <shellapi.h>
#include <shlobj.h>
#include <cstring>
#include "app/shell_win.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/window_text_win.h"

namespace {

// The dialog the last OpenFreshDialog made: the loop step and Track reach it.
HWND g_openDialog = nullptr;

HACCEL ProgramAccelerators() {
    static HACCEL accelerators = LoadProgramAccelerators(GetModuleHandleW(nullptr));
    return accelerators;
}

void RunThroughLoopStep(MSG& message) {
    HWND main = g_openDialog;
    if (main != nullptr && IsWindow(main)) {
        ProcessLoopMessage(main, ProgramAccelerators(), message);
    } else {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool IsExtendedKey(UINT vk) {
    switch (vk) {
        case VK_DELETE:
        case VK_INSERT:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            return true;
        default:
            return false;
    }
}

LPARAM KeyLParam(UINT vk, bool alt, bool up) {
    LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
    if (IsExtendedKey(vk)) lParam |= 0x01000000;
    if (alt) lParam |= 0x20000000;
    if (up) lParam |= static_cast<LPARAM>(0xC0000000u);
    return lParam;
}

void SendOneKeyMessage(HWND dialog, UINT message, UINT vk, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = GetFocus() != nullptr ? GetFocus() : dialog;
    msg.message = message;
    msg.wParam = vk;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    RunThroughLoopStep(msg);
    // TranslateMessage may have posted the character message; it takes the same road.
    PumpMessages();
}

}  // namespace

HWND OpenFreshDialog() {
    HWND dialog = CreateMainDialog(GetModuleHandleW(nullptr));
    if (dialog == nullptr) return nullptr;
    g_openDialog = dialog;
    ShowWindow(dialog, SW_SHOWNORMAL);
    UpdateWindow(dialog);
    SetForegroundWindow(dialog);
    PumpMessages();
    return dialog;
}

void CloseDialog(HWND dialog) {
    if (dialog != nullptr && IsWindow(dialog)) DestroyWindow(dialog);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        RunThroughLoopStep(msg);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return support::WaitUntil(condition, timeoutMs, PumpMessages);
}

HGLOBAL MakeDropHandle(const std::vector<std::u16string>& names) {
    size_t units = 1;  // the final NUL of the list
    for (const auto& name : names) units += name.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(char16_t));
    if (block == nullptr) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* cursor = reinterpret_cast<char16_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const auto& name : names) {
        std::memcpy(cursor, name.data(), name.size() * sizeof(char16_t));
        cursor += name.size();
        *cursor++ = u'\0';
    }
    *cursor = u'\0';
    GlobalUnlock(block);
    return block;
}

void DropFiles(HWND dialog, const std::vector<std::u16string>& names) {
    HGLOBAL drop = MakeDropHandle(names);
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    PumpMessages();
}

void SelectRows(HWND dialog, const std::vector<int>& rows) {
    HWND list = GetDlgItem(dialog, IDL_FILES);
    SetFocus(list);
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int row : rows) SendMessageW(list, LB_SETSEL, TRUE, row);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDL_FILES, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    PumpMessages();
}

void SelectAndTypeWithoutPumping(HWND dialog, int row, int editId, const std::u16string& text) {
    HWND list = GetDlgItem(dialog, IDL_FILES);
    SendMessageW(list, LB_SETSEL, TRUE, row);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDL_FILES, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    HWND edit = GetDlgItem(dialog, editId);
    SetFocus(edit);
    for (char16_t unit : text) SendMessageW(edit, WM_CHAR, unit, 1);
}

std::vector<int> SelectedRows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDL_FILES);
    const int count = static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0));
    std::vector<int> rows(count > 0 ? count : 0);
    if (count > 0) {
        SendMessageW(list, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(rows.data()));
    }
    return rows;
}

void TypeInto(HWND dialog, int editId, const std::u16string& text) {
    HWND edit = GetDlgItem(dialog, editId);
    SetFocus(edit);
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, end, end);
    for (char16_t unit : text) SendMessageW(edit, WM_CHAR, unit, 1);
    PumpMessages();
}

void ReplaceText(HWND dialog, int editId, const std::u16string& text) {
    HWND edit = GetDlgItem(dialog, editId);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (text.empty()) {
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    } else {
        for (char16_t unit : text) SendMessageW(edit, WM_CHAR, unit, 1);
    }
    PumpMessages();
}

void SendKeyThroughLoop(HWND dialog, UINT vk, bool ctrl, bool alt) {
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE held[256];
    std::memcpy(held, saved, sizeof held);
    if (ctrl) held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
    if (alt) held[VK_MENU] = held[VK_LMENU] = 0x80;
    SetKeyboardState(held);

    SendOneKeyMessage(dialog, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyLParam(vk, alt, false));
    SendOneKeyMessage(dialog, alt ? WM_SYSKEYUP : WM_KEYUP, vk, KeyLParam(vk, alt, true));

    SetKeyboardState(saved);
}

void SendCharThroughLoop(HWND dialog, char16_t unit, bool alt) {
    MSG msg{};
    msg.hwnd = GetFocus() != nullptr ? GetFocus() : dialog;
    msg.message = alt ? WM_SYSCHAR : WM_CHAR;
    msg.wParam = unit;
    msg.lParam = 1 | (alt ? 0x20000000 : 0);
    msg.time = GetTickCount();
    RunThroughLoopStep(msg);
    PumpMessages();
}

std::u16string ControlText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

DialogState* OpenDialogState() {
    return MainDialogState(g_openDialog);
}

TrackRecord* Track(int i) {
    const DialogState* state = OpenDialogState();
    return i < 0 || state == nullptr ? nullptr : state->tracks.GetAt(static_cast<uint32_t>(i));
}

std::u16string TrackField(int track, int field) {
    TrackRecord* record = Track(track);
    if (record == nullptr || field < 0 || field >= kFieldCount) return u"<no track>";
    return std::u16string(record->fields[field].Text());
}

int ListCount(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDL_FILES, LB_GETCOUNT, 0, 0));
}

unsigned ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<unsigned>(dpi);
}

int AtScreenDpi(int pixelsAt96) {
    return MulDiv(pixelsAt96, static_cast<int>(ScreenDpi()), 96);
}

std::wstring ThisTestProgram() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

PROCESS_INFORMATION StartTestProgram(const std::wstring& program, const std::wstring& filter) {
    std::wstring command =
        L"\"" + program + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + filter;
    PROCESS_INFORMATION process{};
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        process = PROCESS_INFORMATION{};
    }
    return process;
}

DWORD WaitForTestProgram(PROCESS_INFORMATION& process) {
    if (!process.hProcess) return 0xFFFFFFFF;
    DWORD exitCode = 0xFFFFFFFE;
    if (WaitForSingleObject(process.hProcess, 600000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
    return exitCode;
}
