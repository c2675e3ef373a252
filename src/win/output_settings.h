// Where the MP3s go and what they are called, as the "Einstellungen" dialog sets them.
// Plain data: the launcher's naming rules read it, the settings glue stores it.
#pragma once
#include "foundation/wide_string.h"

// The pattern that keeps each source's own name.
inline constexpr char16_t kDefaultNamePattern[] = u"<Quelldatei>";

struct OutputSettings {
    bool ownFolder = false;  // false: each output beside its source
    // The chosen folder; kept while "Neben der Quelle" is chosen, so it is there next time.
    WideString folder;
    bool keepSourceFolders = false;  // only with a folder of its own
    WideString pattern;              // empty reads as kDefaultNamePattern
    // Whether each MP3 gets its source's picture, or its album folder's cover image, as its
    // front cover.
    bool cover = true;
    // Whether a track whose MP3 exists already is left out of the launcher instead of asking
    // to overwrite it.
    bool skipExisting = false;
};
