// Keeps the right column and the bottom row anchored when the dialog is resized.
#pragma once
#include <windows.h>

void RecordLayoutAnchors(HWND dialog);
void LayOutDialog(HWND dialog);
