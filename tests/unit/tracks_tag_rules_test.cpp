// The tag rules of a selection: common values and the one-or-many write rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tracks/tag_rules.h"

namespace {

std::u16string Text(const WideString& value) {
    return std::u16string(value.Text());
}

class TagRulesTest : public ::testing::Test {
  protected:
    // A track with the given path and the artist, album and title given.
    void AddTrack(const char16_t* path, const char16_t* artist, const char16_t* album,
                  const char16_t* title) {
        TrackRecord* record = MakeTrackRecord(path);
        record->fields[kArtist].AssignText(artist);
        record->fields[kAlbum].AssignText(album);
        record->fields[kTitle].AssignText(title);
        tracks.Add(record);
    }
    std::u16string Field(int track, int field) {
        return Text(tracks.GetAt(static_cast<uint32_t>(track))->fields[field]);
    }

    PointerArray<TrackRecord> tracks;
    TrackRecord values;
};

TEST_F(TagRulesTest, OneSelectedTrackShowsAllItsFieldsPathIncluded) {
    AddTrack(u"p0", u"Queen", u"Jazz", u"Mustapha");
    tracks.GetAt(0)->fields[kGenre].AssignText(u"Rock");
    const int rows[] = {0};
    ComputeCommonValues(tracks, rows, 1, values);
    EXPECT_EQ(Text(values.fields[kPath]), u"p0");
    EXPECT_EQ(Text(values.fields[kArtist]), u"Queen");
    EXPECT_EQ(Text(values.fields[kAlbum]), u"Jazz");
    EXPECT_EQ(Text(values.fields[kTitle]), u"Mustapha");
    EXPECT_EQ(Text(values.fields[kGenre]), u"Rock");
    EXPECT_TRUE(values.fields[kYear].IsEmpty());
    // Shared copies: no characters were copied.
    EXPECT_EQ(values.fields[kArtist].Record(), tracks.GetAt(0)->fields[kArtist].Record());
}

TEST_F(TagRulesTest, CommonValueIsKeptOnlyWhenEveryTrackHasExactlyTheSameText) {
    struct Row {
        const char* name;
        const char16_t* first;
        const char16_t* second;
        const char16_t* third;
        const char16_t* common;
    };
    const Row rows[] = {
        {"all equal", u"X", u"X", u"X", u"X"},
        {"case differs", u"Queen", u"queen", u"Queen", u""},
        {"trailing blank differs", u"Queen", u"Queen ", u"Queen", u""},
        {"set, then empty", u"A", nullptr, u"A", u""},
        {"empty, then set", nullptr, u"A", u"A", u""},
        {"emptied value stays empty", u"A", u"B", nullptr, u""},
        {"last one differs", u"A", u"A", u"B", u""},
        {"all empty", nullptr, nullptr, nullptr, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        tracks.DeleteAll();
        AddTrack(u"p0", row.first, u"same", nullptr);
        AddTrack(u"p1", row.second, u"same", nullptr);
        AddTrack(u"p2", row.third, u"same", nullptr);
        const int selected[] = {0, 1, 2};
        ComputeCommonValues(tracks, selected, 3, values);
        EXPECT_EQ(Text(values.fields[kArtist]), row.common);
        EXPECT_EQ(Text(values.fields[kAlbum]), u"same");
        EXPECT_EQ(Text(values.fields[kPath]), u"p0");
    }
}

TEST_F(TagRulesTest, OnlyTheSelectedTracksCount) {
    AddTrack(u"p0", u"A", nullptr, nullptr);
    AddTrack(u"p1", u"B", nullptr, nullptr);
    AddTrack(u"p2", u"A", nullptr, nullptr);
    const int selected[] = {0, 2};
    ComputeCommonValues(tracks, selected, 2, values);
    EXPECT_EQ(Text(values.fields[kArtist]), u"A");
    EXPECT_EQ(Text(CommonFieldValue(tracks, selected, 2, kArtist)), u"A");
    const int all[] = {0, 1, 2};
    EXPECT_EQ(Text(CommonFieldValue(tracks, all, 3, kArtist)), u"");
}

TEST_F(TagRulesTest, AnIndexWithoutARecordReadsAsEmptyFields) {
    AddTrack(u"p0", u"A", u"B", nullptr);
    values.fields[kArtist].AssignText(u"stale");
    const int missingFirst[] = {5};
    ComputeCommonValues(tracks, missingFirst, 1, values);
    for (const WideString& value : values.fields) EXPECT_TRUE(value.IsEmpty());
    const int missingSecond[] = {0, -1};
    ComputeCommonValues(tracks, missingSecond, 2, values);
    EXPECT_TRUE(values.fields[kArtist].IsEmpty());
    EXPECT_TRUE(CommonFieldValue(tracks, missingSecond, 2, kArtist).IsEmpty());
}

TEST_F(TagRulesTest, OneSelectedTrackTakesAllSevenValuesEmptyOnesIncluded) {
    AddTrack(u"p0", u"Queen", u"Jazz", u"Mustapha");
    AddTrack(u"p1", u"Other", u"Other", u"Other");
    values.fields[kArtist].AssignText(u"Queen");
    values.fields[kTitle].AssignText(u"Bicycle");
    values.fields[kPath].AssignText(u"never written");
    const int selected[] = {0};
    WriteTagValues(values, tracks, selected, 1);
    EXPECT_EQ(Field(0, kArtist), u"Queen");
    EXPECT_EQ(Field(0, kAlbum), u"");  // emptied field clears the tag
    EXPECT_EQ(Field(0, kTitle), u"Bicycle");
    EXPECT_EQ(Field(0, kPath), u"p0");
    EXPECT_EQ(Field(1, kAlbum), u"Other");
}

TEST_F(TagRulesTest, SeveralSelectedTracksTakeOnlyTheNonEmptyValues) {
    AddTrack(u"p0", u"Queen", u"X", u"A");
    AddTrack(u"p1", u"queen", u"X", u"B");
    AddTrack(u"p2", u"Untouched", u"Y", u"C");
    const int selected[] = {0, 1};
    ComputeCommonValues(tracks, selected, 2, values);
    values.fields[kTitle].AssignText(u"Z");  // the user types 'Z' into the title field
    WriteTagValues(values, tracks, selected, 2);
    EXPECT_EQ(Field(0, kTitle), u"Z");
    EXPECT_EQ(Field(1, kTitle), u"Z");
    EXPECT_EQ(Field(0, kAlbum), u"X");
    EXPECT_EQ(Field(1, kAlbum), u"X");
    EXPECT_EQ(Field(0, kArtist), u"Queen");  // the empty artist field wipes neither
    EXPECT_EQ(Field(1, kArtist), u"queen");
    EXPECT_EQ(Field(2, kTitle), u"C");

    values.fields[kAlbum].Clear();  // clearing the album field with two selected
    WriteTagValues(values, tracks, selected, 2);
    EXPECT_EQ(Field(0, kAlbum), u"X");
    EXPECT_EQ(Field(1, kAlbum), u"X");
}

TEST_F(TagRulesTest, WritingNothingSelectedOrMissingRecordsChangesNothing) {
    AddTrack(u"p0", u"A", nullptr, nullptr);
    values.fields[kArtist].AssignText(u"B");
    WriteTagValues(values, tracks, nullptr, 0);
    const int missing[] = {-1, 7};
    WriteTagValues(values, tracks, missing, 2);
    EXPECT_EQ(Field(0, kArtist), u"A");
}

TEST_F(TagRulesTest, WrittenValuesAreSharedButNeverChangedThroughTheCopy) {
    AddTrack(u"p0", nullptr, nullptr, nullptr);
    AddTrack(u"p1", nullptr, nullptr, nullptr);
    values.fields[kGenre].AssignText(u"Rock");
    const int selected[] = {0, 1};
    WriteTagValues(values, tracks, selected, 2);
    EXPECT_EQ(tracks.GetAt(0)->fields[kGenre].Record(), values.fields[kGenre].Record());
    // The next read of the field refills the edit value in place.
    ASSERT_TRUE(values.fields[kGenre].PrepareBuffer(3));
    values.fields[kGenre].Buffer()[0] = u'P';
    values.fields[kGenre].Buffer()[1] = u'\0';
    EXPECT_EQ(Field(0, kGenre), u"Rock");
    EXPECT_EQ(Field(1, kGenre), u"Rock");
}

}  // namespace
