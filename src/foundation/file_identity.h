// What a file or folder is, whatever path leads to it.
#pragma once
#include <cstdint>

// A volume serial number and a 128-bit file ID (FILE_ID_INFO; the older 64-bit index fills
// the lower half).
struct FileIdentity {
    uint64_t volume = 0;
    uint8_t id[16] = {};
};
