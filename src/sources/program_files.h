// What the program itself writes beside the music, which reading a dropped folder leaves out.
#pragma once

// The folder beside the launcher that holds the pictures embedded in the sources, written
// out once per picture so that the encoder can be given them by name.
inline constexpr char16_t kCoverFolderName[] = u"Lame-Aufruf-Cover";
