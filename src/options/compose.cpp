#include "options/compose.h"

#include "options/option_tables.h"

namespace {

constexpr char16_t kVbrNew[] = u"--vbr-new";
constexpr uint32_t kVbrNewLength = 9;

// An index outside the list reads as no selection.
const char16_t* PieceAt(const char16_t* const* pieces, int count, int index) {
    return index >= 0 && index < count ? pieces[index] : nullptr;
}

void AppendPresetArguments(int preset, WideString& out) {
    if (preset == kDecodePreset) {
        out.Append(u" --decode");
        return;
    }
    if (preset >= kFirstVbrPreset) {
        out.Append(u" -v");
        preset -= kVbrPresetOffset;
    }
    out.Append(u" --preset ");
    out.Append(kPresetNames[preset]);
}

void AppendSingleOptions(int mode, int bitrate, int quality, int maximum, WideString& out) {
    out.Append(PieceAt(kModePieces, kModeList.count, mode));
    // The lowest rate is left to the encoder's VBR range once a VBR quality is chosen.
    if (bitrate != 0 || quality <= kLastQualityWithLowestBitrate)
        out.Append(PieceAt(kBitratePieces, kBitrateList.count, bitrate));
    out.Append(PieceAt(kQualityPieces, kQualityList.count, quality));
    if (!QualityUsesMaximum(quality)) return;
    // Both lists hold the same rates in the same order, so indices compare as rates.
    if (bitrate < maximum) out.Append(PieceAt(kMaxBitratePieces, kMaxBitrateList.count, maximum));
}

}  // namespace

bool QualityUsesMaximum(int qualityIndex) {
    return qualityIndex >= kFirstQualityWithMaximum && qualityIndex < kQualityList.count;
}

void ComposeOptionArguments(int preset, int mode, int bitrate, int quality, int maximum,
                            WideString& out) {
    out.Clear();
    if (preset > 0 && preset < kPresetList.count)
        AppendPresetArguments(preset, out);
    else
        AppendSingleOptions(mode, bitrate, quality, maximum, out);
    if (out.IsEmpty()) return;
    out.MakeUnique();
    TrimBlanks(out.Buffer());
}

OptionListStates DecideOptionListStates(int presetIndex, int qualityIndex) {
    if (presetIndex > 0) return {false, false, false, false};
    return {true, true, true, QualityUsesMaximum(qualityIndex)};
}

bool SwitchVbrNewArgument(int qualityIndex, WideString& extra) {
    const bool present = FindText(extra.Text(), kVbrNew) != nullptr;
    if (QualityUsesMaximum(qualityIndex)) {
        if (present) return false;
        extra.Append(u" --vbr-new");
        return true;
    }
    if (!present) return false;
    // Cut the first occurrence until none is left: a cut may join a new one together.
    extra.MakeUnique();
    char16_t* text = extra.Buffer();
    while (char16_t* found = const_cast<char16_t*>(FindText(text, kVbrNew)))
        CopyText(found, found + kVbrNewLength);
    return true;
}
