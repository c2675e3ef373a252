// Tracks that would overwrite each other's files: found with file names compared as Windows
// compares them (under Wine CompareStringOrdinal ignoring case, natively a per-unit stand-in).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "foundation/text_services.h"
#include "outputs/output_clash.h"
#include "support/test_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int comparisons = 0;

bool SameName(const char16_t* a, uint32_t aLength, const char16_t* b, uint32_t bLength) {
    ++comparisons;
#ifdef _WIN32
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a), int(aLength),
                                reinterpret_cast<const wchar_t*>(b), int(bLength),
                                TRUE) == CSTR_EQUAL;
#else
    if (aLength != bLength) return false;
    for (uint32_t i = 0; i < aLength; ++i)
        if (UpperUnit(a[i]) != UpperUnit(b[i])) return false;
    return true;
#endif
}

void Fill(PointerArray<TrackRecord>& tracks, const std::vector<std::u16string>& paths) {
    for (const std::u16string& path : paths) tracks.Add(MakeTrackRecord(path.c_str()));
}

std::vector<uint32_t> Clashing(const std::vector<std::u16string>& paths, bool decode = false,
                               const OutputSettings* settings = nullptr,
                               const std::vector<std::u16string>& titles = {}) {
    PointerArray<TrackRecord> tracks;
    Fill(tracks, paths);
    for (size_t i = 0; i < titles.size(); ++i)
        tracks.GetAt(uint32_t(i))->fields[kTitle].AssignText(titles[i].c_str());
    TrackOutputs outputs;
    EXPECT_TRUE(outputs.Fill(tracks, decode, settings));
    std::unique_ptr<bool[]> flags(new bool[paths.size() + 1]);
    const int64_t found = FindClashingTracks(tracks, outputs, SameName, flags.get());
    std::vector<uint32_t> indices;
    for (uint32_t i = 0; i < paths.size(); ++i)
        if (flags[i]) indices.push_back(i);
    EXPECT_EQ(found, int64_t(indices.size()));
    return indices;
}

TEST(FindClashingTracks, FindsEveryKindOfClashAndNoOther) {
    struct Row {
        const char* name;
        std::vector<std::u16string> paths;
        bool decode;
        std::vector<uint32_t> clashing;
    };
    const Row rows[] = {
        {"one output, letter case", {u"C:\\M\\Band.wav", u"C:\\M\\BAND.aiff"}, false, {0, 1}},
        {"one output, case beyond ASCII",
         {u"C:\\M\\\u00C4pfel.wav", u"C:\\M\\\u00E4PFEL.flac", u"C:\\M\\x.wav"},
         false,
         {0, 1}},
        {"output is another's source", {u"C:\\M\\Lied.wav", u"C:\\M\\Lied.mp3"}, false, {0, 1}},
        {"output is another's source, other case",
         {u"C:\\M\\b.wav", u"C:\\M\\lied.mp3", u"C:\\M\\LIED.MP3.MP3"},
         false,
         {1, 2}},
        {"source dropped twice",
         {u"C:\\M\\a.wav", u"C:\\M\\b.wav", u"c:\\m\\A.WAV"},
         false,
         {0, 2}},
        {"decoding: x.mp3 -> x.wav beside x.wav", {u"C:\\M\\x.mp3", u"C:\\M\\x.wav"}, true, {0, 1}},
        {"encoding: both -> x.mp3.mp3", {u"C:\\M\\x.mp3", u"C:\\M\\x.mp3.ogg"}, false, {0, 1}},
        {"decoding: x.wav and x.mp3.wav", {u"C:\\M\\x.mp3", u"C:\\M\\x.mp3.ogg"}, true, {}},
        {"an mp3 source keeps its own name", {u"C:\\M\\x.mp3"}, false, {}},
        {"another kind named like an mp3's output",
         {u"C:\\M\\x.mp3", u"C:\\M\\X.MP3.wav"},
         false,
         {0, 1}},
        {"a chain of three",
         {u"C:\\M\\a.wav", u"C:\\M\\a.mp3", u"C:\\M\\b.wav", u"C:\\M\\a.mp3.mp3"},
         false,
         {0, 1, 3}},
        {"one name in two folders", {u"C:\\A\\x.wav", u"C:\\B\\x.wav"}, false, {}},
        // Windows folds one unit to one unit: no sharp s to SS, no composing.
        {"sharp s is not SS", {u"C:\\M\\Stra\u00DFe.wav", u"C:\\M\\STRASSE.flac"}, false, {}},
        {"composed is not decomposed",
         {u"C:\\M\\M\u00FCller.wav", u"C:\\M\\Mu\u0308ller.flac"},
         false,
         {}},
        {"no extension", {u"C:\\M\\README", u"C:\\M\\readme.wav"}, false, {0, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Clashing(row.paths, row.decode), row.clashing);
    }
}

// Outputs named by a pattern into a folder of their own clash across the sources' folders,
// letter case aside, and a name made the same by the cleaning is the same.
TEST(FindClashingTracks, FindsClashesOfNamesMadeFromAPattern) {
    struct Row {
        const char* name;
        std::vector<std::u16string> paths, titles;
        std::vector<uint32_t> clashing;
    };
    const Row rows[] = {
        {"one title from two folders",
         {u"C:\\A\\1.wav", u"C:\\B\\2.wav"},
         {u"Intro", u"intro"},
         {0, 1}},
        {"made the same by the cleaning",
         {u"C:\\A\\1.wav", u"C:\\B\\2.wav", u"C:\\B\\3.wav"},
         {u"AC/DC", u"AC:DC", u"AC DC"},
         {0, 1}},
        {"made the same by trailing dots",
         {u"C:\\A\\1.wav", u"C:\\B\\2.wav"},
         {u"Hey.", u"Hey"},
         {0, 1}},
        {"an output that is a source",
         {u"C:\\A\\1.wav", u"D:\\MP3\\Lied.mp3"},
         {u"Lied", u""},
         {0, 1}},
        {"empty titles are all unknown", {u"C:\\A\\1.wav", u"C:\\B\\2.wav"}, {u"", u" "}, {0, 1}},
        {"distinct names", {u"C:\\A\\1.wav", u"C:\\A\\2.wav"}, {u"Eins", u"Zwei"}, {}},
    };
    OutputSettings settings;
    settings.ownFolder = true;
    settings.folder.AssignText(u"D:\\MP3");
    settings.pattern.AssignText(u"<Titel>");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Clashing(row.paths, false, &settings, row.titles), row.clashing);
    }
}

// A batch of distinct names needs no confirming comparison at all, and one source dropped
// many times one per copy: never every pair.
TEST(FindClashingTracks, ComparesOnlyNamesOfOneKey) {
    std::vector<std::u16string> distinct, copies;
    for (int i = 0; i < 5000; ++i) {
        distinct.push_back(u"C:\\Musik\\" + Decimal(i) + u" Lied.wav");
        copies.push_back(u"C:\\Musik\\Lied.wav");
    }
    comparisons = 0;
    EXPECT_TRUE(Clashing(distinct).empty());
    EXPECT_EQ(comparisons, 0);
    comparisons = 0;
    EXPECT_EQ(Clashing(copies).size(), 5000u);
    EXPECT_LE(comparisons, 2 * 5000);
}

#ifdef _WIN32
// Names are only compared when their keys agree, and keys fold each unit with UpperUnit: so
// every two units that CompareStringOrdinal takes as equal must have one UpperUnit. Sorted by
// that comparison, the 65,536 units stand in runs of equal ones; each run is checked.
TEST(SameFileNames, EveryUnitTheComparisonFoldsTogetherHasOneKeyFold) {
    std::vector<char16_t> units(0x10000);
    for (uint32_t u = 0; u < units.size(); ++u) units[u] = char16_t(u);
    const auto compare = [](char16_t a, char16_t b) {
        return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(&a), 1,
                                    reinterpret_cast<const wchar_t*>(&b), 1, TRUE);
    };
    std::stable_sort(units.begin(), units.end(),
                     [&](char16_t a, char16_t b) { return compare(a, b) == CSTR_LESS_THAN; });
    int folded = 0;
    for (size_t start = 0, end; start < units.size(); start = end) {
        for (end = start + 1; end < units.size() && compare(units[start], units[end]) == CSTR_EQUAL;
             ++end) {
            ++folded;
            EXPECT_EQ(int(UpperUnit(units[end])), int(UpperUnit(units[start])))
                << std::hex << "units " << int(units[start]) << " and " << int(units[end]);
        }
    }
    // The comparison does fold letters together: the check above is not empty.
    EXPECT_GT(folded, 1000);
}
#endif

TEST(ListFlagged, NamesTheFirstFewAndCountsTheRest) {
    PointerArray<TrackRecord> tracks;
    Fill(tracks, {u"C:\\a.wav", u"C:\\b.wav", u"C:\\c.mp3", u"C:\\d.wav"});
    TrackOutputs outputs;
    ASSERT_TRUE(outputs.Fill(tracks, false));
    const bool flags[] = {true, false, true, true};
    EXPECT_EQ(std::u16string(ListClashingTracks(tracks, outputs, flags, 2).Text()),
              u"C:\\a.wav -> a.mp3\r\nC:\\c.mp3 -> c.mp3.mp3\r\n... und 1 weitere");
    EXPECT_EQ(std::u16string(ListExistingOutputs(outputs, flags, 5).Text()),
              u"C:\\a.mp3\r\nC:\\c.mp3.mp3\r\nC:\\d.mp3");
    // An output in a folder of its own is named with its folder.
    OutputSettings settings;
    settings.ownFolder = true;
    settings.folder.AssignText(u"D:\\MP3");
    ASSERT_TRUE(outputs.Fill(tracks, false, &settings));
    EXPECT_EQ(std::u16string(ListClashingTracks(tracks, outputs, flags, 1).Text()),
              u"C:\\a.wav -> D:\\MP3\\a.mp3\r\n... und 2 weitere");
}

}  // namespace
