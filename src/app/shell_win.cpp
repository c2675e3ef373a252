// Dialog creation and the message loop with its Delete rule.
#include "app/shell_win.h"

#include "resources/control_ids.h"

namespace {
bool IsDeleteKeyMessage(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
           message.wParam == VK_DELETE;
}
}  // namespace

HWND CreateMainDialog(HINSTANCE instance) {
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc,
                              reinterpret_cast<LPARAM>(instance));
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
