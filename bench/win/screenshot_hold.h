// For the screenshot programs: prints the dialog's screen rectangle (for cropping), then runs
// the program's own message loop for the given number of seconds and closes the dialog.
#pragma once
#include <windows.h>

#include <cstdio>

#include "app/shell_win.h"
#include "gui/harness.h"

inline void HoldForScreenshot(HWND dialog, int seconds) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
    std::fflush(stdout);
    const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
    HACCEL accelerators = LoadProgramAccelerators(GetModuleHandleW(nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.wParam == timer) break;
        ProcessLoopMessage(dialog, accelerators, message);
    }
    CloseDialog(dialog);
}
