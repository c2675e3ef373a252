// The main dialog's procedure: makes the dialog state at WM_INITDIALOG and routes every
// message and command to the handler that owns the action.
#pragma once
#include <windows.h>

#include "tracks/dialog_state_win.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The state of a main dialog, held in its DWLP_USER slot; null before WM_INITDIALOG and for
// any other window.
DialogState* MainDialogState(HWND dialog);
