// The encoder argument text composed from the five option lists, and the rules that keep
// "max.:", the other lists and the "+" field in step with the choices.
#include <gtest/gtest.h>

#include <string>

#include "options/compose.h"
#include "options/option_tables.h"

namespace {

// Indices into the lists, named by the entries the user sees.
enum Preset {
    kNoPreset = 0,
    kPhone = 1,
    kStudio = 13,
    kVPhone = 14,
    kVCd = 25,
    kVStudio = 26,
    kDecode = 27
};
enum Mode { kAuto = 0, kStereo = 1, kJoint = 2, kMono = 3 };
enum Rate { k32 = 0, k40 = 1, k128 = 8, k160 = 9, k192 = 10, k256 = 12, k320 = 13 };
enum Quality {
    kCbrFast = 0,
    kCbr = 1,
    kCbrHq = 2,
    kVbr9 = 3,
    kVbr8 = 4,
    kVbr6 = 6,
    kVbr4 = 8,
    kVbr2 = 10,
    kVbr0 = 12
};
constexpr int kNone = -1;

std::u16string Compose(int preset, int mode, int bitrate, int quality, int maximum) {
    WideString out;
    out.AssignText(u"stale text");
    ComposeOptionArguments(preset, mode, bitrate, quality, maximum, out);
    return out.Text();
}

struct CompositionCase {
    const char* name;
    int preset, mode, bitrate, quality, maximum;
    std::u16string expected;
};

TEST(ComposeOptionArguments, YieldsTheTypicalSelections) {
    const CompositionCase cases[] = {
        {"start state", kNoPreset, kAuto, k128, kCbrHq, k320, u"-b 128 -h"},
        {"joint, 192, VBR 4, max 256", kNoPreset, kJoint, k192, kVbr4, k256,
         u"-m j -b 192 -V 4 -B 256"},
        {"mono, 32, VBR 2, max 320", kNoPreset, kMono, k32, kVbr2, k320, u"-m m -V 2"},
        {"auto, 32, CBR", kNoPreset, kAuto, k32, kCbr, k320, u"-b 32"},
        {"stereo, 128, CBR schnell", kNoPreset, kStereo, k128, kCbrFast, k320, u"-m s -b 128 -f"},
        {"maximum below the bitrate", kNoPreset, kAuto, k160, kVbr6, k128, u"-b 160 -V 6"},
        {"V CD stereo", kVCd, kJoint, k192, kVbr4, k256, u"-v --preset cd"},
        {"Telefon mono 16", kPhone, kMono, k32, kVbr2, k40, u"--preset phone"},
        {"Decodieren", kDecode, kStereo, k128, kVbr4, k256, u"--decode"},
    };
    for (const CompositionCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compose(c.preset, c.mode, c.bitrate, c.quality, c.maximum), c.expected);
    }
}

TEST(ComposeOptionArguments, KeepsTheRulesAtTheirEdges) {
    const CompositionCase cases[] = {
        {"32 dropped for VBR 9", kNoPreset, kAuto, k32, kVbr9, k320, u"-V 9"},
        {"32 kept for CBR HQ", kNoPreset, kAuto, k32, kCbrHq, k320, u"-b 32 -h"},
        {"32 kept when no quality is selected", kNoPreset, kAuto, k32, kNone, k320, u"-b 32"},
        {"VBR 9 never takes the maximum", kNoPreset, kAuto, k32, kVbr9, k40, u"-V 9"},
        {"CBR never takes the maximum", kNoPreset, kAuto, k128, kCbr, k160, u"-b 128"},
        {"VBR 8 takes the maximum", kNoPreset, kAuto, k128, kVbr8, k160, u"-b 128 -V 8 -B 160"},
        {"VBR 0 takes the maximum", kNoPreset, kAuto, k32, kVbr0, k40, u"-V 0 -B 40"},
        {"maximum equal to the bitrate", kNoPreset, kAuto, k192, kVbr4, k192, u"-b 192 -V 4"},
        {"maximum 320 adds nothing", kNoPreset, kAuto, k128, kVbr4, k320, u"-b 128 -V 4"},
        {"maximum 256 above 192", kNoPreset, kAuto, k192, kVbr4, k256, u"-b 192 -V 4 -B 256"},
        {"no bitrate selected, maximum applies", kNoPreset, kAuto, kNone, kVbr4, k128,
         u"-V 4 -B 128"},
        {"nothing selected anywhere", kNone, kNone, kNone, kNone, kNone, u""},
        {"CBR with no mode and no bitrate is empty", kNone, kNone, kNone, kCbr, kNone, u""},
        {"first VBR preset", kVPhone, kAuto, k128, kCbrHq, k320, u"-v --preset phone"},
        {"last CBR preset", kStudio, kAuto, k128, kCbrHq, k320, u"--preset studio"},
        {"last VBR preset", kVStudio, kAuto, k128, kCbrHq, k320, u"-v --preset studio"},
    };
    for (const CompositionCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compose(c.preset, c.mode, c.bitrate, c.quality, c.maximum), c.expected);
    }
}

TEST(ComposeOptionArguments, UsesEveryPresetNameForBothPresetKinds) {
    const char16_t* names[] = {u"phone", u"phon+", u"lw",   u"mw-eu", u"mw-us", u"sw",    u"voice",
                               u"fm",    u"radio", u"tape", u"hifi",  u"cd",    u"studio"};
    for (int k = 0; k < 13; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(Compose(1 + k, kAuto, k128, kCbrHq, k320),
                  std::u16string(u"--preset ") + names[k]);
        EXPECT_EQ(Compose(14 + k, kAuto, k128, kCbrHq, k320),
                  std::u16string(u"-v --preset ") + names[k]);
    }
}

TEST(ComposeOptionArguments, LeavesAnEmptyResultWithoutARecord) {
    WideString out;
    out.AssignText(u"old");
    ComposeOptionArguments(kNoPreset, kAuto, kNone, kCbr, k320, out);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(OptionTables, HoldTheEntriesAndStartSelectionsOfTheLists) {
    struct ListCase {
        const char* name;
        const OptionList& list;
        int count;
        std::u16string startText, lastText;
    };
    const ListCase cases[] = {
        {"Modus", kModeList, 4, u"Automatisch", u"Mono"},
        {"kBit/s", kBitrateList, 14, u"128 Radio", u"320"},
        {"CBR/VBR", kQualityList, 13, u"CBR HQ", u"VBR 0 - gro\u00DF"},
        {"max.", kMaxBitrateList, 14, u"320", u"320"},
        {"Prg.", kPresetList, 28, u"<kein>", u"Decodieren"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.list.count, c.count);
        EXPECT_EQ(std::u16string(c.list.entries[c.list.start]), c.startText);
        EXPECT_EQ(std::u16string(c.list.entries[c.count - 1]), c.lastText);
    }
}

TEST(OptionTables, GiveEachVbrPresetTheRangeOfItsCbrPreset) {
    EXPECT_EQ(std::u16string(kPresetList.entries[1]), u"Telefon mono 16");
    EXPECT_EQ(std::u16string(kPresetList.entries[14]), u"V Telefon mono 8-24");
    EXPECT_EQ(std::u16string(kPresetList.entries[13]), u"Studio stereo 256");
    EXPECT_EQ(std::u16string(kPresetList.entries[26]), u"V Studio stereo 160-320");
    for (int i = 14; i <= 26; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kPresetList.entries[i][0], u'V');
        EXPECT_EQ(kPresetList.entries[i][1], u' ');
    }
}

TEST(DecideOptionListStates, PresetDisablesAllFourAndNoPresetFollowsTheQuality) {
    struct StateCase {
        const char* name;
        int presetIndex, qualityIndex;
        bool mode, bitrate, quality, maximum;
    };
    const StateCase cases[] = {
        {"preset", kPhone, kVbr4, false, false, false, false},
        {"VBR preset", kVCd, kCbr, false, false, false, false},
        {"Decodieren", kDecode, kVbr4, false, false, false, false},
        {"<kein> with CBR HQ", kNoPreset, kCbrHq, true, true, true, false},
        {"<kein> with VBR 9", kNoPreset, kVbr9, true, true, true, false},
        {"<kein> with VBR 8", kNoPreset, kVbr8, true, true, true, true},
        {"<kein> with VBR 0", kNoPreset, kVbr0, true, true, true, true},
        {"no preset selected, no quality selected", kNone, kNone, true, true, true, false},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const OptionListStates states = DecideOptionListStates(c.presetIndex, c.qualityIndex);
        EXPECT_EQ(states.mode, c.mode);
        EXPECT_EQ(states.bitrate, c.bitrate);
        EXPECT_EQ(states.quality, c.quality);
        EXPECT_EQ(states.maximum, c.maximum);
    }
}

struct SwitchCase {
    const char* name;
    int quality;
    std::u16string field;  // as the field read gives it: trimmed
    bool written;
    std::u16string expected;
};

TEST(SwitchVbrNewArgument, KeepsTheFieldInStepWithTheQuality) {
    const SwitchCase cases[] = {
        {"VBR 4 on an empty field", kVbr4, u"", true, u" --vbr-new"},
        {"VBR 2 with it present", kVbr2, u"--vbr-new", false, u"--vbr-new"},
        {"CBR empties the field", kCbr, u"--vbr-new", true, u""},
        {"VBR 8 appends to a user argument", kVbr8, u"--resample 44.1", true,
         u"--resample 44.1 --vbr-new"},
        {"CBR leaves the user argument and one blank", kCbrHq, u"--resample 44.1 --vbr-new", true,
         u"--resample 44.1 "},
        {"two occurrences both go, their blanks stay", kCbrFast, u"-a --vbr-new --vbr-new", true,
         u"-a  "},
        {"VBR 9 removes like CBR", kVbr9, u"--vbr-new -x", true, u" -x"},
        {"no selection removes like CBR", kNone, u"--vbr-new", true, u""},
        {"CBR without it writes nothing", kCbr, u"-x", false, u"-x"},
        {"the test is case-sensitive", kVbr4, u"--VBR-NEW", true, u"--VBR-NEW --vbr-new"},
        {"a cut that joins a new occurrence removes that too", kCbr, u"--vbr--vbr-new-new", true,
         u""},
        {"inside a longer word it still counts", kVbr4, u"x--vbr-newy", false, u"x--vbr-newy"},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        WideString field;
        field.AssignText(c.field.c_str());
        const WideString before = field;
        EXPECT_EQ(SwitchVbrNewArgument(c.quality, field), c.written);
        EXPECT_EQ(std::u16string(field.Text()), c.expected);
        EXPECT_EQ(std::u16string(before.Text()), c.field) << "a shared copy must stay as it was";
    }
}

}  // namespace
