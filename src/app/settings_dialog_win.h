// The "Einstellungen" dialog: where the MP3s go and what they are called, opened from the
// main window's system menu.
#pragma once
#include <windows.h>

#include "tracks/dialog_state_win.h"

// Puts "&Einstellungen..." and a separator above "Schließen" in the window's system menu.
void AddSettingsToSystemMenu(HWND dialog);
// Shows the dialog, modal to the main one; OK stores the settings when they can be used.
void ShowSettingsDialog(DialogState& state);
