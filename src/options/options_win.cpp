// The five encoder option lists on the main dialog: filling, their interplay, and
// the composed arguments shown in "Param.:".
#include "options/options_win.h"

#include "app/dpi_win.h"
#include "app/shell_win.h"
#include "options/compose.h"
#include "options/option_tables.h"
#include "resources/control_ids.h"
#include "tracks/tag_editing_win.h"

namespace {

void FillList(int id, const OptionList& list) {
    for (int i = 0; i < list.count; ++i)
        SendDlgItemMessageW(MainWindow(), id, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(AsWide(list.entries[i])));
    SendDlgItemMessageW(MainWindow(), id, CB_SETCURSEL, list.start, 0);
}

int SelectionOf(int id) {
    return static_cast<int>(SendDlgItemMessageW(MainWindow(), id, CB_GETCURSEL, 0, 0));
}

void EnableControl(int id, bool enable) {
    EnableWindow(GetDlgItem(MainWindow(), id), enable ? TRUE : FALSE);
}

void ShowComposedArguments() {
    WideString arguments;
    ComposeOptionArgumentsFromControls(arguments);
    SetDlgItemTextW(MainWindow(), IDE_PARAMS, AsWide(arguments.Text()));
}

}  // namespace

void FillOptionLists() {
    FillList(IDC_BITRATE, kBitrateList);
    FillList(IDC_MAX_BITRATE, kMaxBitrateList);
    FillList(IDC_MODE, kModeList);
    FillList(IDC_QUALITY, kQualityList);
    FillList(IDC_PRESET, kPresetList);
    // The preset names are longer than the narrow box.
    SetPresetDropDownWidth(MainWindow());
}

void PresetReaction() {
    const OptionListStates states =
        DecideOptionListStates(SelectionOf(IDC_PRESET), SelectionOf(IDC_QUALITY));
    EnableControl(IDC_MODE, states.mode);
    EnableControl(IDC_BITRATE, states.bitrate);
    EnableControl(IDC_QUALITY, states.quality);
    EnableControl(IDC_MAX_BITRATE, states.maximum);
    ShowComposedArguments();
}

void OptionCompositionStep() {
    ShowComposedArguments();
}

void VbrSwitchRule() {
    const int quality = SelectionOf(IDC_QUALITY);
    EnableControl(IDC_MAX_BITRATE, QualityUsesMaximum(quality));
    WideString extra;
    ReadField(IDE_EXTRA_ARGS, extra);
    if (SwitchVbrNewArgument(quality, extra))
        SetDlgItemTextW(MainWindow(), IDE_EXTRA_ARGS, AsWide(extra.Text()));
}

void ComposeOptionArgumentsFromControls(WideString& arguments) {
    const int preset = SelectionOf(IDC_PRESET);
    const int mode = SelectionOf(IDC_MODE);
    const int bitrate = SelectionOf(IDC_BITRATE);
    const int quality = SelectionOf(IDC_QUALITY);
    const int maximum = SelectionOf(IDC_MAX_BITRATE);
    ComposeOptionArguments(preset, mode, bitrate, quality, maximum, arguments);
}
