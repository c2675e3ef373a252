// The pieces of a file path that are offered as tag suggestions.
#pragma once
#include "foundation/string_list.h"

// Fills pieces, in the order they are offered: drive, folders and file name (without its
// extension), then the file name's pieces at " - ", at "-" and at "_". Every piece is trimmed;
// none is empty and none repeats (exact comparison). A path without a backslash offers nothing.
// The path itself is never changed.
void CollectPathPieces(const char16_t* path, StringList& pieces);
