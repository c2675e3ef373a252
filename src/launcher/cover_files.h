// The picture each MP3 takes as its front cover, as the launcher names it: one file per
// distinct picture (an album's tracks share one), and per track the number of its file.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "sources/program_files.h"

class TrackCoverFiles {
  public:
    // count tracks, none with a picture yet. False when memory ran out.
    bool Reset(uint32_t count);
    // Adds a picture file and yields its number for Give; 0 when memory ran out.
    uint32_t AddFile(const WideString& path);
    void Give(uint32_t track, uint32_t file);
    // The track's picture file, or null.
    const WideString* Of(uint32_t track) const;
    uint32_t Count() const { return count_; }
    uint32_t FileCount() const { return files_.Count(); }

  private:
    std::unique_ptr<uint32_t[]> fileOf_;  // 0: none; else the file's number
    PointerArray<WideString> files_;
    uint32_t count_ = 0;
};

// The file name of an embedded picture in the cover folder: the picture's hash as 16
// hexadecimal digits, so that the same picture always gets the same file, then its extension.
WideString CoverFileName(uint64_t hash, const char16_t* extension);
