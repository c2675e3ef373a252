// The genre list (loaded at start) and the genre pop-up menu.
#pragma once
#include "tracks/dialog_state_win.h"

// Fills the list from "Genre-Menü.txt" beside the program, or with the built-in genres.
void LoadGenreList(PointerArray<WideString>& genres);
// Shows the genre menu; true when an entry was chosen into "Genre:".
bool ShowGenreMenu(DialogState& state);
