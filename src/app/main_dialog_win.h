// The main dialog's procedure: makes the dialog state at WM_INITDIALOG and routes every
// message and command to the handler that owns the action.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
