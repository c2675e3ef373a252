// The five encoder option lists on the real dialog: their entries and start state, and
// how a choice in one list changes the others, "Param.:" and the "+" field.
#include <gtest/gtest.h>

#include <string>

#include "win/utf16_cast.h"
#include "gui/harness.h"
#include "options/option_tables.h"
#include "options/options_win.h"
#include "resources/control_ids.h"

namespace {

// What the user sees of the option area.
struct OptionArea {
    std::u16string mode, bitrate, quality, maximum, preset;
    bool modeOn, bitrateOn, qualityOn, maximumOn, presetOn;
    std::u16string params, extra;

    bool operator==(const OptionArea&) const = default;
};

std::u16string EntryText(HWND dialog, int id, int index) {
    const LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return u"(none)";
    std::u16string text(static_cast<size_t>(length), u'\0');
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index,
                        reinterpret_cast<LPARAM>(AsWide(text.data())));
    return text;
}

std::u16string SelectedText(HWND dialog, int id) {
    return EntryText(dialog, id,
                     static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)));
}

bool IsOn(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

OptionArea ReadOptionArea(HWND dialog) {
    return {SelectedText(dialog, IDC_MODE),    SelectedText(dialog, IDC_BITRATE),
            SelectedText(dialog, IDC_QUALITY), SelectedText(dialog, IDC_MAX_BITRATE),
            SelectedText(dialog, IDC_PRESET),  IsOn(dialog, IDC_MODE),
            IsOn(dialog, IDC_BITRATE),         IsOn(dialog, IDC_QUALITY),
            IsOn(dialog, IDC_MAX_BITRATE),     IsOn(dialog, IDC_PRESET),
            ControlText(dialog, IDE_PARAMS),   ControlText(dialog, IDE_EXTRA_ARGS)};
}

void PrintTo(const OptionArea& a, std::ostream* os) {
    auto on = [](bool b) { return b ? "" : " (disabled)"; };
    *os << "{Modus " << Utf8(a.mode) << on(a.modeOn) << ", kBit/s " << Utf8(a.bitrate)
        << on(a.bitrateOn) << ", CBR/VBR " << Utf8(a.quality) << on(a.qualityOn) << ", max. "
        << Utf8(a.maximum) << on(a.maximumOn) << ", Prg. " << Utf8(a.preset) << on(a.presetOn)
        << ", Param. [" << Utf8(a.params) << "], + [" << Utf8(a.extra) << "]}";
}

// The notification a user's pick in a drop-down list causes, after the list took the pick.
void Choose(HWND dialog, int id, int index) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    PumpMessages();
}

class OptionLists : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog_ = OpenFreshDialog();
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override { CloseDialog(dialog_); }

    // The start state, with the given changes applied by the caller.
    static OptionArea StartArea() {
        return {u"Automatisch", u"128 Radio", u"CBR HQ", u"320", u"<kein>",    true,
                true,           true,         false,     true,   u"-b 128 -h", u""};
    }

    HWND dialog_ = nullptr;
};

TEST_F(OptionLists, StartWithTheirEntriesAndStartSelections) {
    EXPECT_EQ(ReadOptionArea(dialog_), StartArea());
    struct ListCase {
        const char* name;
        int id;
        const OptionList& list;
    };
    const ListCase lists[] = {{"Modus", IDC_MODE, kModeList},
                              {"kBit/s", IDC_BITRATE, kBitrateList},
                              {"CBR/VBR", IDC_QUALITY, kQualityList},
                              {"max.", IDC_MAX_BITRATE, kMaxBitrateList},
                              {"Prg.", IDC_PRESET, kPresetList}};
    for (const ListCase& c : lists) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SendDlgItemMessageW(dialog_, c.id, CB_GETCOUNT, 0, 0), c.list.count);
        for (int i = 0; i < c.list.count; ++i)
            EXPECT_EQ(EntryText(dialog_, c.id, i), c.list.entries[i]) << "entry " << i;
    }
    EXPECT_EQ(EntryText(dialog_, IDC_QUALITY, 12), u"VBR 0 - gro\u00DF");
    EXPECT_EQ(SendDlgItemMessageW(dialog_, IDC_PRESET, CB_GETDROPPEDWIDTH, 0, 0), AtScreenDpi(150));
}

TEST_F(OptionLists, PresetDisablesTheOtherListsAndNoneBringsThemBack) {
    Choose(dialog_, IDC_MODE, 2);
    Choose(dialog_, IDC_BITRATE, 10);
    Choose(dialog_, IDC_QUALITY, 8);
    Choose(dialog_, IDC_MAX_BITRATE, 12);
    OptionArea chosen = StartArea();
    chosen.mode = u"Joint Stereo";
    chosen.bitrate = u"192 CD";
    chosen.quality = u"VBR 4 - std";
    chosen.maximum = u"256";
    chosen.maximumOn = true;
    chosen.params = u"-m j -b 192 -V 4 -B 256";
    chosen.extra = u" --vbr-new";
    EXPECT_EQ(ReadOptionArea(dialog_), chosen);

    Choose(dialog_, IDC_PRESET, 25);
    OptionArea preset = chosen;
    preset.preset = u"V CD stereo 128-320";
    preset.modeOn = preset.bitrateOn = preset.qualityOn = preset.maximumOn = false;
    preset.params = u"-v --preset cd";
    EXPECT_EQ(ReadOptionArea(dialog_), preset);

    Choose(dialog_, IDC_PRESET, 27);
    preset.preset = u"Decodieren";
    preset.params = u"--decode";
    EXPECT_EQ(ReadOptionArea(dialog_), preset);

    Choose(dialog_, IDC_PRESET, 0);
    EXPECT_EQ(ReadOptionArea(dialog_), chosen);
}

TEST_F(OptionLists, NoPresetLeavesMaximumOffForCbrAndVbr9) {
    Choose(dialog_, IDC_PRESET, 1);
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"--preset phone");
    Choose(dialog_, IDC_PRESET, 0);
    EXPECT_EQ(ReadOptionArea(dialog_), StartArea());

    Choose(dialog_, IDC_QUALITY, 3);
    Choose(dialog_, IDC_PRESET, 14);
    Choose(dialog_, IDC_PRESET, 0);
    OptionArea vbr9 = StartArea();
    vbr9.quality = u"VBR 9 - schlecht";
    vbr9.params = u"-b 128 -V 9";
    EXPECT_EQ(ReadOptionArea(dialog_), vbr9);
}

TEST_F(OptionLists, VbrQualityEnablesMaximumAndKeepsVbrNewInThePlusField) {
    Choose(dialog_, IDC_QUALITY, 8);
    OptionArea area = StartArea();
    area.quality = u"VBR 4 - std";
    area.maximumOn = true;
    area.params = u"-b 128 -V 4";
    area.extra = u" --vbr-new";
    EXPECT_EQ(ReadOptionArea(dialog_), area);

    Choose(dialog_, IDC_QUALITY, 10);
    area.quality = u"VBR 2";
    area.params = u"-b 128 -V 2";
    EXPECT_EQ(ReadOptionArea(dialog_), area) << "the second VBR choice adds nothing more";

    Choose(dialog_, IDC_QUALITY, 1);
    area.quality = u"CBR";
    area.maximumOn = false;
    area.params = u"-b 128";
    area.extra = u"";
    EXPECT_EQ(ReadOptionArea(dialog_), area);
}

TEST_F(OptionLists, VbrSwitchKeepsTheUsersOwnArguments) {
    SetDlgItemTextW(dialog_, IDE_EXTRA_ARGS, L"  --resample 44.1\t");
    Choose(dialog_, IDC_QUALITY, 4);
    EXPECT_EQ(ControlText(dialog_, IDE_EXTRA_ARGS), u"--resample 44.1 --vbr-new");
    Choose(dialog_, IDC_QUALITY, 3);
    EXPECT_EQ(ControlText(dialog_, IDE_EXTRA_ARGS), u"--resample 44.1 ");
    EXPECT_FALSE(IsOn(dialog_, IDC_MAX_BITRATE)) << "VBR 9 sides with CBR for max.";
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"-b 128 -V 9");
}

TEST_F(OptionLists, VbrNineDropsTheLowestBitrateAndNeverTakesTheMaximum) {
    Choose(dialog_, IDC_BITRATE, 0);
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"-b 32 -h");
    Choose(dialog_, IDC_QUALITY, 4);
    Choose(dialog_, IDC_MAX_BITRATE, 1);
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"-V 8 -B 40");
    Choose(dialog_, IDC_QUALITY, 3);
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"-V 9");
    Choose(dialog_, IDC_MAX_BITRATE, 0);
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"-V 9") << "max. equal to the bitrate";
}

// Focus and a drop-down opened and closed again: the control's own notifications.
void FocusOpenAndClose(HWND dialog, int id) {
    // Wine's open drop-down takes the entry under the mouse pointer, wherever an earlier
    // test left it: the pointer waits in the screen's far corner meanwhile.
    POINT cursor{};
    GetCursorPos(&cursor);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    HWND list = GetDlgItem(dialog, id);
    SetFocus(list);
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    PumpMessages();
    SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    SetFocus(GetDlgItem(dialog, IDE_LAME_PATH));
    PumpMessages();
    SetCursorPos(cursor.x, cursor.y);
}

TEST_F(OptionLists, OpeningPresetWithoutAChangeKeepsTheResult) {
    Choose(dialog_, IDC_MODE, 3);
    Choose(dialog_, IDC_QUALITY, 12);
    const OptionArea before = ReadOptionArea(dialog_);
    FocusOpenAndClose(dialog_, IDC_PRESET);
    EXPECT_EQ(ReadOptionArea(dialog_), before);
}

TEST_F(OptionLists, OpeningQualityWithoutAChangeReappliesTheSwitchOnly) {
    Choose(dialog_, IDC_QUALITY, 8);
    SetDlgItemTextW(dialog_, IDE_EXTRA_ARGS, L"-x");
    SetDlgItemTextW(dialog_, IDE_PARAMS, L"marker");
    FocusOpenAndClose(dialog_, IDC_QUALITY);
    EXPECT_EQ(ControlText(dialog_, IDE_EXTRA_ARGS), u"-x --vbr-new");
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"marker") << "Param.: is not recomposed";
}

TEST_F(OptionLists, ArrowKeyInBitrateRecomposesAsAPickDoes) {
    SetFocus(GetDlgItem(dialog_, IDC_BITRATE));
    PumpMessages();
    SendKeyThroughLoop(dialog_, VK_DOWN);
    EXPECT_EQ(SelectedText(dialog_, IDC_BITRATE), u"160");
    EXPECT_EQ(ControlText(dialog_, IDE_PARAMS), u"-b 160 -h");
}

TEST_F(OptionLists, ComposeFromControlsReadsTheCurrentSelections) {
    Choose(dialog_, IDC_MODE, 1);
    Choose(dialog_, IDC_QUALITY, 0);
    WideString arguments;
    ComposeOptionArgumentsFromControls(*OpenDialogState(), arguments);
    EXPECT_EQ(std::u16string(arguments.Text()), u"-m s -b 128 -f");
}

}  // namespace
