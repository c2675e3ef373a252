// The launcher file, written whole or not at all: the text goes into a temporary file
// beside the target ("Lame-Aufruf.tmp" for "Lame-Aufruf.hta"), which takes the target's
// place only when every byte is written.
#pragma once
#include <windows.h>

#include "foundation/narrow_string.h"
#include "foundation/wide_string.h"

struct LauncherFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    WideString targetPath;
    WideString temporaryPath;
};

// Makes sure an existing target may be replaced and creates the temporary file.
// False when either fails; nothing is left behind then.
bool OpenLauncherFile(const WideString& targetPath, LauncherFile& file);

enum class LauncherWrite {
    kWritten,      // the target holds exactly the bytes
    kIncomplete,   // not every byte could be written; the target is as it was
    kNotReplaced,  // the bytes are written, but the target could not be replaced
};

// Writes the bytes, flushes them, closes the file and puts it in the target's place.
// complete: false when the text itself could not be made whole (lack of memory); the
// file is then abandoned as incomplete. Any failure removes the temporary file.
LauncherWrite FinishLauncherFile(LauncherFile& file, const NarrowString& bytes, bool complete);
