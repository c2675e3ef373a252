// Shared helpers for the in-process GUI tests: a fresh real main dialog per test,
// driven only by the messages a user's action causes.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "support/test_text.h"
#include "tracks/dialog_state_win.h"

// Creates the main dialog from the real resources, shows it and pumps its start-up messages.
HWND OpenFreshDialog();
// Destroys the dialog and drains the WM_QUIT its WM_DESTROY posts, so the next test starts clean.
void CloseDialog(HWND dialog);

// Runs every queued message through the program's own loop step (accelerators, Delete rule,
// dialog keys). A WM_QUIT found on the way is dropped.
void PumpMessages();
// Pumps until the condition holds or the bound runs out; yields the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 2000);

// A real HDROP (GlobalAlloc'd DROPFILES, wide names, double-NUL end) sent as WM_DROPFILES.
// The receiver frees it with DragFinish.
HGLOBAL MakeDropHandle(const std::vector<std::u16string>& names);
void DropFiles(HWND dialog, const std::vector<std::u16string>& names);

// Sets exactly these rows selected (LB_SETSEL) and sends LBN_SELCHANGE as a click does;
// the list gets the focus, as it would from the click.
void SelectRows(HWND dialog, const std::vector<int>& rows);
// Adds the row to the selection as a click does and types the text into the edit (one WM_CHAR
// per unit), without pumping: what arrives meanwhile (rows listed, tags read) waits its turn.
void SelectAndTypeWithoutPumping(HWND dialog, int row, int editId, const std::u16string& text);
// Ascending indices of the selected rows, as the list box reports them.
std::vector<int> SelectedRows(HWND dialog);

// Focuses the edit, puts the caret at the end of its text and sends WM_CHAR per unit, so the
// edit raises EN_CHANGE while focused (one per unit).
void TypeInto(HWND dialog, int editId, const std::u16string& text);
// As TypeInto, but selects all of the edit's text first, so the typing replaces it;
// an empty text deletes the selection with one backspace.
void ReplaceText(HWND dialog, int editId, const std::u16string& text);

// Key down and key up addressed to the focus window, each through the program's loop step with
// the program's accelerator table. Ctrl and Alt are held in the thread's keyboard state
// (TranslateAccelerator reads GetKeyState); Alt sends WM_SYSKEYDOWN/WM_SYSKEYUP.
void SendKeyThroughLoop(HWND dialog, UINT vk, bool ctrl = false, bool alt = false);
// A character message (WM_CHAR, or WM_SYSCHAR with the Alt context bit) through the loop step.
void SendCharThroughLoop(HWND dialog, char16_t unit, bool alt = false);

// The text of a dialog control.
std::u16string ControlText(HWND dialog, int id);
// The state of the dialog the last OpenFreshDialog made; null once it is closed.
DialogState* OpenDialogState();
// Track i of that dialog's track array, or null.
TrackRecord* Track(int i);
// Field `field` (kPath, kArtist, ...) of track `track` as a std::u16string, for readable
// expectations; "<no track>" when there is none. (This function hides the enum name
// TrackField in files that include the harness: spell the type `int` there.)
std::u16string TrackField(int track, int field);
// Number of rows of the file list.
int ListCount(HWND dialog);

// The DPI this test program runs at (96 unless started at another scale), and a size in
// pixels at 96 DPI scaled to it.
unsigned ScreenDpi();
int AtScreenDpi(int pixelsAt96);

// A user32 function of newer systems, or null where this one lacks it.
template <typename Function>
Function User32Function(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// This test program's full path.
std::wstring ThisTestProgram();
// Starts a test program (this one or a copy) with the tests of the filter, disabled ones
// included; hProcess is null when it could not be started.
PROCESS_INFORMATION StartTestProgram(const std::wstring& program, const std::wstring& filter);
// Waits (at most ten minutes) for its end; its exit code, or -1 and -2 for "not started" and
// "did not end".
DWORD WaitForTestProgram(PROCESS_INFORMATION& process);
