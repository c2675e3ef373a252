// Removing many selected tracks at once: order kept, exactly the selected records destroyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_text.h"
#include "tracks/track_removal.h"

namespace {

class TrackRemovalTest : public ::testing::Test {
  protected:
    // Tracks named "0" .. "n-1"; each holds a share of `alive`, so its reference
    // count tells how many records still live.
    void MakeTracks(int n) {
        alive.AssignText(u"alive");
        for (int i = 0; i < n; ++i) {
            const std::u16string path = Name(i);
            TrackRecord* record = MakeTrackRecord(path.c_str());
            record->fields[kComment].Assign(alive);
            tracks.Add(record);
        }
    }
    static std::u16string Name(int i) {
        std::u16string text = u"t";
        return text + Decimal(i);
    }
    std::vector<std::u16string> Paths() const {
        std::vector<std::u16string> paths;
        for (uint32_t i = 0; i < tracks.Count(); ++i) {
            paths.emplace_back(tracks.GetAt(i)->fields[kPath].Text());
        }
        return paths;
    }
    int LiveRecords() const { return alive.Record()->referenceCount - 1; }

    WideString alive;  // declared first: outlives the records
    PointerArray<TrackRecord> tracks;
};

TEST_F(TrackRemovalTest, KeepsTheOthersInOrderAndDestroysTheSelected) {
    struct Row {
        const char* name;
        std::vector<int> remove;
        std::vector<std::u16string> left;
    };
    const Row rows[] = {
        {"nothing", {}, {u"t0", u"t1", u"t2", u"t3", u"t4", u"t5"}},
        {"first", {0}, {u"t1", u"t2", u"t3", u"t4", u"t5"}},
        {"last", {5}, {u"t0", u"t1", u"t2", u"t3", u"t4"}},
        {"scattered", {1, 3, 4}, {u"t0", u"t2", u"t5"}},
        {"every other from 0", {0, 2, 4}, {u"t1", u"t3", u"t5"}},
        {"all", {0, 1, 2, 3, 4, 5}, {}},
        {"out of range ignored", {-1, 2, 9}, {u"t0", u"t1", u"t3", u"t4", u"t5"}},
        {"duplicate index once", {2, 2, 3}, {u"t0", u"t1", u"t4", u"t5"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        tracks.DeleteAll();
        MakeTracks(6);
        DeleteTracksAt(tracks, row.remove.data(), static_cast<uint32_t>(row.remove.size()));
        EXPECT_EQ(Paths(), row.left);
        EXPECT_EQ(LiveRecords(), static_cast<int>(row.left.size()));
    }
}

TEST_F(TrackRemovalTest, HalfOfALargeListGoesWithoutGrowingTheBlock) {
    MakeTracks(20000);
    std::vector<int> odd;
    for (int i = 1; i < 20000; i += 2) odd.push_back(i);
    const uint32_t capacity = tracks.Capacity();
    DeleteTracksAt(tracks, odd.data(), static_cast<uint32_t>(odd.size()));
    ASSERT_EQ(tracks.Count(), 10000u);
    EXPECT_EQ(tracks.Capacity(), capacity);
    EXPECT_EQ(LiveRecords(), 10000);
    EXPECT_EQ(std::u16string(tracks.GetAt(0)->fields[kPath].Text()), u"t0");
    EXPECT_EQ(std::u16string(tracks.GetAt(9999)->fields[kPath].Text()), u"t19998");
}

}  // namespace
