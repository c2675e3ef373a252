// The folder all the sources lie in, below which "Ordner der Quellen beibehalten" keeps each
// source's own folders.
#pragma once
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "tracks/track_record.h"

// The common folder of the sources, letter case aside: the longest run of whole folder
// names every source's folder starts with, without a backslash at its end. A file found in
// a dropped folder counts as lying in that folder.
WideString CommonFolderOf(const PointerArray<TrackRecord>& tracks);
