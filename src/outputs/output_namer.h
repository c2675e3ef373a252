// The outputs' names made from a pattern of the track's fields ("<Interpret>\<Album>\<Nr> -
// <Titel>"), each part of them a valid Windows name, in the folder the settings choose.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "tracks/track_record.h"
#include "win/output_settings.h"

// What a part left empty is called.
inline constexpr char16_t kUnknownPart[] = u"Unbekannt";
// The longest whole path and part the names are cut to: MAX_PATH without its terminator, and
// the longest name NTFS keeps.
constexpr uint32_t kLongestOutputPath = 259;
constexpr uint32_t kLongestPart = 255;

// Makes every track's output path for one save: the pattern read once, the common folder of
// the sources found once, each name built in a buffer it keeps.
class OutputNamer {
  public:
    OutputNamer();
    ~OutputNamer();
    OutputNamer(const OutputNamer&) = delete;
    OutputNamer& operator=(const OutputNamer&) = delete;

    // False when the pattern has a problem (CheckNamePattern) or memory ran out.
    bool Prepare(const OutputSettings& settings, const PointerArray<TrackRecord>& tracks);
    // Beside the source under the source's name: the callRun rules name the output as always.
    bool NamesAsBefore() const { return asBefore_; }
    // The track's output as the encoder receives it (not escaped), suffix included; valid
    // until the next call. decode: the common arguments contain "--decode". Empty for a
    // track without a path.
    const char16_t* Name(const TrackRecord& record, bool decode, uint32_t& length);

  private:
    struct Compiled;
    struct Folder;
    std::unique_ptr<Compiled> compiled_;
    bool asBefore_ = true;

    const char16_t* NameBesideSource(const TrackRecord& record, bool decode, uint32_t& length);
    bool BuildParts(const TrackRecord& record);
    Folder FolderOf(const WideString& source) const;
    void CapParts(uint64_t fixed, uint64_t& wanted);
    const char16_t* Join(const Folder& folder, const char16_t* suffix, uint32_t& length);
};
