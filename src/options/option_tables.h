// The entries of the five encoder option lists and the argument piece of each entry.
#pragma once

// One drop-down list: its entry texts in list order and the entry selected at start.
struct OptionList {
    const char16_t* const* entries;
    int count;
    int start;
};

extern const OptionList kModeList;        // "Modus:"
extern const OptionList kBitrateList;     // "kBit/s:"
extern const OptionList kQualityList;     // "CBR/VBR:"
extern const OptionList kMaxBitrateList;  // "max.:"
extern const OptionList kPresetList;      // "Prg.:"

// Argument pieces by entry index; an empty piece adds nothing. Each begins with a blank.
extern const char16_t* const kModePieces[4];
extern const char16_t* const kBitratePieces[14];
extern const char16_t* const kQualityPieces[13];
extern const char16_t* const kMaxBitratePieces[14];
// Preset names of the entries 1 to 13; the entries 14 to 26 reuse them (index - 13).
extern const char16_t* const kPresetNames[14];

// "32" in "kBit/s:" adds " -b 32" only up to this "CBR/VBR:" index.
constexpr int kLastQualityWithLowestBitrate = 2;
// "max.:" applies from "VBR 8" on; "VBR 9 - schlecht" (3) sides with CBR for it.
constexpr int kFirstQualityWithMaximum = 4;
constexpr int kFirstVbrPreset = 14;
constexpr int kVbrPresetOffset = 13;
constexpr int kDecodePreset = 27;
constexpr int kPresetDroppedWidth = 150;
