// The search for outputs that are files already, on real folders under Wine: a folder with
// three outputs or more is read once for the end its outputs share, one with fewer is asked
// about per output, and one that may not be read is asked about per output too.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "outputs/existing_outputs_win.h"
#include "support/files_win.h"

using namespace support;

namespace {

struct Found {
    int64_t count;
    std::vector<bool> flags;
};

class ExistingOutputs : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const std::u16string& folder : folders_) RemoveTree(folder);
    }

    // A scratch folder holding the given files, each with its own name as content.
    std::u16string Folder(const std::u16string& name, const std::vector<std::u16string>& files) {
        folders_.push_back(MakeScratchFolder(name));
        for (const std::u16string& file : files) WriteBytes(folders_.back() + file, Utf8(file));
        return folders_.back();
    }

    Found Search(const std::vector<std::u16string>& sources, bool decode,
                 const std::atomic<bool>* stop = nullptr,
                 FindFirstName findFirst = FindFirstOutputName) {
        PointerArray<TrackRecord> tracks;
        for (const std::u16string& source : sources) tracks.Add(MakeTrackRecord(source.c_str()));
        TrackOutputs outputs;
        EXPECT_TRUE(outputs.Fill(tracks, decode));
        std::unique_ptr<bool[]> flags(new bool[sources.size() + 1]);
        Found found{FindExistingOutputs(outputs, flags.get(), stop, findFirst), {}};
        for (size_t i = 0; i < sources.size(); ++i) found.flags.push_back(flags[i]);
        return found;
    }

    std::vector<std::u16string> folders_;
};

std::vector<std::u16string> In(const std::u16string& folder,
                               const std::vector<std::u16string>& names) {
    std::vector<std::u16string> paths;
    for (const std::u16string& name : names) paths.push_back(folder + name);
    return paths;
}

HANDLE FailToRead(const char16_t*, WIN32_FIND_DATAW*) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

TEST_F(ExistingOutputs, FolderReadOnceFindsTheOutputsInAnyLetterCase) {
    struct Row {
        const char16_t* name;
        std::vector<std::u16string> files;    // in the folder besides the sources
        std::vector<std::u16string> sources;  // dropped, all in the folder
        bool decode;
        std::vector<bool> existing;
    };
    const Row rows[] = {
        // "*.mp3.mp3": the sources themselves fit "*.mp3" but not the pattern.
        {u"mp3-sources",
         {u"b.mp3.mp3", u"C.MP3.MP3"},
         {u"a.mp3", u"b.mp3", u"c.mp3", u"d.mp3"},
         false,
         {false, true, true, false}},
        // WAV and MP3 sources share only ".mp3"; FLAC and MP3 decoded share nothing.
        {u"wav-and-mp3",
         {u"x.mp3", u"z.mp3.mp3", u"y.mp3.wav"},
         {u"x.wav", u"y.wav", u"z.mp3", u"w.mp3"},
         false,
         {true, false, true, false}},
        {u"decoded-no-shared-end",
         {u"p.wav", u"r.mp3"},
         {u"p.mp3", u"q.mp3", u"r.flac"},
         true,
         {true, false, true}},
        {u"few-asked-one-by-one", {u"Lied.mp3"}, {u"Lied.wav", u"Alt.wav"}, false, {true, false}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.name));
        std::vector<std::u16string> all = row.files;
        all.insert(all.end(), row.sources.begin(), row.sources.end());
        const std::u16string folder = Folder(row.name, all);
        const Found found = Search(In(folder, row.sources), row.decode);
        EXPECT_EQ(found.flags, row.existing);
        int64_t count = 0;
        for (bool flag : row.existing) count += flag ? 1 : 0;
        EXPECT_EQ(found.count, count);
    }
}

TEST_F(ExistingOutputs, FolderThatMayNotBeReadIsAskedAboutPerOutput) {
    const std::u16string folder =
        Folder(u"unreadable", {u"a.wav", u"b.wav", u"c.wav", u"d.wav", u"b.mp3", u"D.MP3"});
    const Found found =
        Search(In(folder, {u"a.wav", u"b.wav", u"c.wav", u"d.wav"}), false, nullptr, FailToRead);
    EXPECT_EQ(found.flags, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(found.count, 2);
}

TEST_F(ExistingOutputs, AbandonedSearchReadsNoFurtherFolder) {
    const std::u16string first = Folder(u"abandoned-1", {u"a.mp3", u"a.wav"});
    const std::u16string second = Folder(u"abandoned-2", {u"b.mp3", u"b.wav"});
    const std::atomic<bool> stop{true};
    const Found found = Search({first + u"a.wav", second + u"b.wav"}, false, &stop);
    EXPECT_EQ(found.flags, (std::vector<bool>{false, false}));
    EXPECT_EQ(found.count, 0);
}

}  // namespace
