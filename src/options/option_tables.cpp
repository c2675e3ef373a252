#include "options/option_tables.h"

// UTF-16 literals, so that "groß" reads right whatever the system's ANSI code page is.
namespace {

const char16_t* const kModeEntries[] = {u"Automatisch", u"Stereo", u"Joint Stereo", u"Mono"};

const char16_t* const kBitrateEntries[] = {u"32",     u"40",  u"48",  u"56",        u"64",
                                           u"80",     u"96",  u"112", u"128 Radio", u"160",
                                           u"192 CD", u"224", u"256", u"320"};

const char16_t* const kQualityEntries[] = {u"CBR schnell", u"CBR",   u"CBR HQ", u"VBR 9 - schlecht",
                                           u"VBR 8",       u"VBR 7", u"VBR 6",  u"VBR 5",
                                           u"VBR 4 - std", u"VBR 3", u"VBR 2",  u"VBR 1",
                                           u"VBR 0 - groß"};

const char16_t* const kMaxBitrateEntries[] = {u"32",  u"40",  u"48",  u"56",  u"64",
                                              u"80",  u"96",  u"112", u"128", u"160",
                                              u"192", u"224", u"256", u"320"};

const char16_t* const kPresetEntries[] = {
    u"<kein>",
    u"Telefon mono 16",
    u"Telefon+ mono 24",
    u"Langwelle mono 24",
    u"Mittelwelle-EU mono 24",
    u"Mittelwelle-US mono 40",
    u"Kurzwelle mono 24",
    u"Stimme mono 56",
    u"UKW joint 112",
    u"Radio joint 128",
    u"Kassette joint 128",
    u"HiFi joint 160",
    u"CD stereo 192",
    u"Studio stereo 256",
    u"V Telefon mono 8-24",
    u"V Telefon+ mono 16-32",
    u"V Langwelle mono 16-56",
    u"V Mittelwelle-EU mono 16-56",
    u"V Mittelwelle-US mono 24-112",
    u"V Kurzwelle mono 16-56",
    u"V Stimme mono 40-112",
    u"V UKW joint 80-256",
    u"V Radio joint 96-256",
    u"V Kassette joint 96-256",
    u"V HiFi joint 112-320",
    u"V CD stereo 128-320",
    u"V Studio stereo 160-320",
    u"Decodieren",
};

template <int N>
constexpr int CountOf(const char16_t* const (&)[N]) {
    return N;
}

}  // namespace

const OptionList kModeList = {kModeEntries, CountOf(kModeEntries), 0};
const OptionList kBitrateList = {kBitrateEntries, CountOf(kBitrateEntries), 8};
const OptionList kQualityList = {kQualityEntries, CountOf(kQualityEntries), 2};
const OptionList kMaxBitrateList = {kMaxBitrateEntries, CountOf(kMaxBitrateEntries), 13};
const OptionList kPresetList = {kPresetEntries, CountOf(kPresetEntries), 0};

const char16_t* const kModePieces[4] = {u"", u" -m s", u" -m j", u" -m m"};

const char16_t* const kBitratePieces[14] = {
    u" -b 32",  u" -b 40",  u" -b 48",  u" -b 56",  u" -b 64",  u" -b 80",  u" -b 96",
    u" -b 112", u" -b 128", u" -b 160", u" -b 192", u" -b 224", u" -b 256", u" -b 320"};

const char16_t* const kQualityPieces[13] = {u" -f",   u"",      u" -h",   u" -V 9", u" -V 8",
                                            u" -V 7", u" -V 6", u" -V 5", u" -V 4", u" -V 3",
                                            u" -V 2", u" -V 1", u" -V 0"};

// "320" is the unlimited maximum: it adds nothing.
const char16_t* const kMaxBitratePieces[14] = {
    u" -B 32",  u" -B 40",  u" -B 48",  u" -B 56",  u" -B 64",  u" -B 80",  u" -B 96",
    u" -B 112", u" -B 128", u" -B 160", u" -B 192", u" -B 224", u" -B 256", u""};

const char16_t* const kPresetNames[14] = {u"",      u"phone", u"phon+", u"lw",    u"mw-eu",
                                          u"mw-us", u"sw",    u"voice", u"fm",    u"radio",
                                          u"tape",  u"hifi",  u"cd",    u"studio"};

static_assert(CountOf(kModeEntries) == 4 && CountOf(kBitrateEntries) == 14 &&
              CountOf(kQualityEntries) == 13 && CountOf(kMaxBitrateEntries) == 14 &&
              CountOf(kPresetEntries) == 28);
