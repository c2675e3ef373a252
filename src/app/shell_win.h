// The program shell: the main dialog, its message loop and the program-wide handles.
// Exposed so that tests drive the real dialog in-process.
#pragma once
#include <windows.h>
#include "foundation/wide_string.h"

static_assert(sizeof(wchar_t) == 2, "Win32 text is UTF-16");

// Our UTF-16 text as the Win32 API spells it.
inline const wchar_t* AsWide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

HINSTANCE ProgramInstance();
void SetProgramInstance(HINSTANCE instance);
HWND MainWindow();
void SetMainWindow(HWND window);

// Creates the modeless main dialog from template 103; null on failure.
HWND CreateMainDialog(HINSTANCE instance);
HACCEL LoadProgramAccelerators(HINSTANCE instance);
// Handles one message as the loop does: Delete rule, accelerators, dialog keys, dispatch.
void ProcessLoopMessage(HWND mainWindow, HACCEL accelerators, MSG& message);
// Runs the loop until WM_QUIT; yields its exit code.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Every message to the user: owned by the main dialog, caption "Tonschleuder", no icon.
int ShowMessage(const char16_t* text, UINT buttons = MB_OK);
