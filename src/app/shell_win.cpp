// Program-wide handles, dialog creation and the message loop with its Delete rule.
#include "app/shell_win.h"

#include "resources/control_ids.h"

namespace {
HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;

bool IsDeleteKeyMessage(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
           message.wParam == VK_DELETE;
}
}  // namespace

HINSTANCE ProgramInstance() {
    return g_instance;
}
void SetProgramInstance(HINSTANCE instance) {
    g_instance = instance;
}
HWND MainWindow() {
    return g_mainWindow;
}
void SetMainWindow(HWND window) {
    g_mainWindow = window;
}

HWND CreateMainDialog(HINSTANCE instance) {
    if (!g_instance) g_instance = instance;
    g_mainWindow =
        CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    return g_mainWindow;
}

HACCEL LoadProgramAccelerators(HINSTANCE instance) {
    return LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
}

void ProcessLoopMessage(HWND mainWindow, HACCEL accelerators, MSG& message) {
    // Delete removes tracks only while the file list has the focus; elsewhere the
    // key must reach the edit fields untranslated.
    HWND focus = GetFocus();
    bool skipAccelerators =
        IsDeleteKeyMessage(message) && (!focus || GetWindowLongW(focus, GWL_ID) != IDL_FILES);
    if (!skipAccelerators && TranslateAcceleratorW(mainWindow, accelerators, &message)) return;
    if (IsDialogMessageW(mainWindow, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int RunMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        // WM_QUIT carries the exit code; a failing GetMessageW leaves no message to read.
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 0;
        ProcessLoopMessage(mainWindow, accelerators, message);
    }
}

int ShowMessage(const char16_t* text, UINT buttons) {
    return MessageBoxW(g_mainWindow, AsWide(text), L"Tonschleuder", buttons);
}
