// The main dialog at the scale of its display: the DPI it is laid out for, pixel sizes
// scaled to it, and the new arrangement when the window moves to a display of another scale.
#pragma once
#include <windows.h>

#include "tracks/dialog_state_win.h"

// Takes the DPI of the dialog's display as the one it is laid out for, until the next
// WM_DPICHANGED (ArrangeForDpi).
void RecordDialogDpi(DialogState& state);
// Loads the program's small icon at the system's small-icon size for the dialog's DPI and
// installs it as the class icon.
void InstallSmallIcon(DialogState& state);
// Releases the icon and font made for the dialog's scale; the dialog is going away.
void ReleaseDisplayScale(DialogState& state);

// Lays the dialog out for a new DPI, as the dialog manager would have created it there:
// the template's font at its size for that DPI in every control, each control at its
// template place, the window at its template size; then the list's rows, the drop-down
// width and the icon follow. The caller then takes the anchors and the place it is given.
void ArrangeForDpi(DialogState& state, UINT dpi);
// Moves the dialog to the rectangle the system suggests, never smaller than the minimum,
// and repaints the list.
void MoveToSuggestedRect(HWND dialog, const RECT& suggested, SIZE minimum);
