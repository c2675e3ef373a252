// Commands that change the tracks in the file list, keeping list and track array in lockstep.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "tracks/dialog_state_win.h"

void TakeDroppedFiles(DialogState& state, HDROP drop);
void RemoveSelectedTracks(DialogState& state);
void MoveSelectionUp(DialogState& state);
void MoveSelectionDown(DialogState& state);
void SelectAllTracks(DialogState& state);
void NumberAllTracks(DialogState& state);
