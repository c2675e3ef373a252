// The outputs' names made from a pattern of the track's fields ("<Interpret>\<Album>\<Nr> -
// <Titel>"), each part of them a valid Windows name, in the folder the settings choose.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "tracks/track_record.h"
#include "win/output_settings.h"

enum class PatternProblem {
    kNone,
    kUnknownField,   // a <...> that names no field; PatternCheck::field holds it
    kUnclosedField,  // a '<' without its '>'
    kNoFileName,     // empty, or ending in '\': no name for the file
};
struct PatternCheck {
    PatternProblem problem = PatternProblem::kNone;
    WideString field;  // the unknown field as written, brackets included
};
PatternCheck CheckNamePattern(const char16_t* pattern);

enum class FolderProblem { kNone, kEmpty, kNotAbsolute, kPartEndsInDotOrBlank, kTooLong };
// The longest output folder: CreateDirectory takes no longer path without long paths turned
// on, and it leaves twelve units for the names inside.
constexpr uint32_t kLongestOutputFolder = 247;
// A folder must name its drive ("D:\MP3") or share ("\\server\share\MP3"), and no part of
// it may end in a dot or blank ("." and ".." aside): Windows drops those, so "D:\MP3." is
// the folder "D:\MP3".
FolderProblem CheckOutputFolder(const char16_t* folder);
// Its drive's root ("D:\") or share ("\\server\share\"), to ask whether it is there.
WideString RootOfFolder(const char16_t* folder);

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
    std::unique_ptr<Compiled> compiled_;
    bool asBefore_ = true;
};
