// Where the launcher file goes: its name in the first track's folder, the numbered name when
// the user keeps an existing file, and the temporary file it is written into first.
#pragma once
#include "foundation/wide_string.h"

extern const char16_t kLauncherFileName[];  // "Lame-Aufruf.hta"

// The first track's folder (cut after its last backslash) followed by "Lame-Aufruf.hta".
WideString LauncherPathFor(const WideString& firstTrackPath);

// Whether something exists at a path; the launcher write asks the file system.
using PathExistsTest = bool (*)(const char16_t* path, void* context);
// The first of "<path up to its last dot>(1).hta", "(2).hta", ... at which nothing exists.
WideString FindNumberedLauncherPath(const WideString& launcherPath, PathExistsTest exists,
                                    void* context);

// The file the launcher is written into before it takes the launcher's place: its ".hta"
// (in any case) replaced by ".tmp", so the temporary path is never longer than the
// launcher's and fits wherever the launcher does. A path without ".hta" gets ".tmp" added.
WideString TemporaryLauncherPathFor(const WideString& launcherPath);
