// Commands that change the tracks in the file list, keeping list and track array in lockstep.
#pragma once
#include <windows.h>
#include <shellapi.h>

void TakeDroppedFiles(HDROP drop);
void RemoveSelectedTracks();
void MoveSelectionUp();
void MoveSelectionDown();
void SelectAllTracks();
void NumberAllTracks();
