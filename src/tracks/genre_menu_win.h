// The genre list (loaded at start) and the genre pop-up menu.
#pragma once

// Loads "Genre-Menü.txt" beside the program, or the built-in list.
void LoadGenreList();
// Shows the genre menu; yields 1 when an entry was chosen into "Genre:".
int ShowGenreMenu();
