// The folders the outputs go into, made at the save.
#pragma once
#include "outputs/output_clash.h"

// Makes each output's folder that is missing, with the folders above it, at any length
// (MakeMissingFolders); a folder shared by the tracks in a row is looked at once. Outputs
// beside their sources under their names, or none, make none: their folders are there. A
// folder that cannot be made is left to the launcher: its page tries a folder of the usual
// length again before the track's encode and reports it, and lame.exe's failure reports a
// longer one.
void MakeOutputFolders(const TrackOutputs* named);
