// The program shell: the main dialog and its message loop. Exposed so that tests and
// benchmarks drive the real dialog in-process.
#pragma once
#include <windows.h>

#include "app/main_dialog_win.h"
#include "tracks/dialog_state_win.h"

// Creates the modeless main dialog from template IDD_MAIN; null on failure.
HWND CreateMainDialog(HINSTANCE instance);
HACCEL LoadProgramAccelerators(HINSTANCE instance);
// Handles one message as the loop does: Delete rule, accelerators, dialog keys, dispatch.
void ProcessLoopMessage(HWND mainWindow, HACCEL accelerators, MSG& message);
// Runs the loop until WM_QUIT; yields its exit code.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);
