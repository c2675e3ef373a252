// The encoder argument text composed from the five option lists, and the rules that
// keep the lists and the "+" field in step. Indices are list selections, -1 for none.
#pragma once
#include "foundation/wide_string.h"

// The selections of "Prg.:", "Modus:", "kBit/s:", "CBR/VBR:" and "max.:". Empties out and fills
// it with the composed text, trimmed of blanks at both ends (empty when nothing applies).
void ComposeOptionArguments(int preset, int mode, int bitrate, int quality, int maximum,
                            WideString& out);

// Whether "max.:" takes part for this "CBR/VBR:" index (from "VBR 8" on).
bool QualityUsesMaximum(int qualityIndex);

// The enabled state of the four lists that a preset overrides.
struct OptionListStates {
    bool mode;
    bool bitrate;
    bool quality;
    bool maximum;
};
// A preset or "Decodieren" disables the other four lists; "<kein>" enables them, and
// "max.:" only where the quality uses it.
OptionListStates DecideOptionListStates(int presetIndex, int qualityIndex);

// The VBR switch rule on the trimmed text of the "+" field: VBR qualities from "VBR 8" on
// need " --vbr-new", the others must not have "--vbr-new". Returns true when the field
// has to be written, with its new text in extra; false leaves the field alone.
bool SwitchVbrNewArgument(int qualityIndex, WideString& extra);
