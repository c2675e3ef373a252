// The five encoder option lists on the main dialog: filling, their interplay, and
// the composed arguments shown in "Param.:".
#include "options/options_win.h"

#include "options/compose.h"
#include "options/option_tables.h"
#include "win/control_text_win.h"
#include "win/dpi_scale.h"
#include "win/utf16_cast.h"

namespace {

void FillList(HWND box, const OptionList& list) {
    for (int i = 0; i < list.count; ++i)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(list.entries[i])));
    SendMessageW(box, CB_SETCURSEL, list.start, 0);
}

int SelectionOf(HWND box) {
    return static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
}

}  // namespace

void FillOptionLists(const DialogState& state) {
    const DialogControls& controls = state.controls;
    FillList(controls.bitrate, kBitrateList);
    FillList(controls.maxBitrate, kMaxBitrateList);
    FillList(controls.mode, kModeList);
    FillList(controls.quality, kQualityList);
    FillList(controls.preset, kPresetList);
    SetPresetDropDownWidth(state);
}

void SetPresetDropDownWidth(const DialogState& state) {
    // The preset names are longer than the narrow box. Wine refuses a width below the current
    // drop-down's (Windows: below the box's), so a smaller scale first falls back to the box's.
    SendMessageW(state.controls.preset, CB_SETDROPPEDWIDTH, 1, 0);
    SendMessageW(state.controls.preset, CB_SETDROPPEDWIDTH,
                 ScaleToDpi(kPresetDroppedWidth, state.scale.dpi), 0);
}

void TakePresetChoice(const DialogState& state) {
    const DialogControls& controls = state.controls;
    const OptionListStates states =
        DecideOptionListStates(SelectionOf(controls.preset), SelectionOf(controls.quality));
    EnableWindow(controls.mode, states.mode);
    EnableWindow(controls.bitrate, states.bitrate);
    EnableWindow(controls.quality, states.quality);
    EnableWindow(controls.maxBitrate, states.maximum);
    ShowOptionArguments(state);
}

void ShowOptionArguments(const DialogState& state) {
    WideString arguments;
    ComposeOptionArgumentsFromControls(state, arguments);
    SetWindowTextW(state.controls.params, AsWide(arguments.Text()));
}

void TakeQualityChoice(const DialogState& state) {
    const int quality = SelectionOf(state.controls.quality);
    EnableWindow(state.controls.maxBitrate, QualityUsesMaximum(quality));
    WideString extra;
    ReadField(state.controls.extraArguments, extra);
    if (SwitchVbrNewArgument(quality, extra))
        SetWindowTextW(state.controls.extraArguments, AsWide(extra.Text()));
}

void ComposeOptionArgumentsFromControls(const DialogState& state, WideString& arguments) {
    const DialogControls& controls = state.controls;
    ComposeOptionArguments(SelectionOf(controls.preset), SelectionOf(controls.mode),
                           SelectionOf(controls.bitrate), SelectionOf(controls.quality),
                           SelectionOf(controls.maxBitrate), arguments);
}
