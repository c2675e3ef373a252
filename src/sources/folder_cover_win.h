// The album's cover image beside a dropped file, for a file that carries no picture of its own.
// Called on the tag reader's threads, never on the dialog's.
#pragma once
#include <cstdint>

#include "sources/source_facts.h"

// Lists the folder (its text ending in a backslash) and judges the images ChooseFolderCover
// picks, in their order, by their bytes: the first that is a picture gives kFolder with its full
// path. None when the folder cannot be listed or holds no such image.
TrackCover FindFolderCover(const WideString& folder);
// The same among the names a listing of the folder found (each ended by a NUL, the last by
// two), the folder not listed again.
TrackCover FindFolderCoverAmong(const WideString& folder, const char16_t* names);
