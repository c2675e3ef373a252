// TrackRecord: a new record, the flag column text and numbering by position.
#include <gtest/gtest.h>

#include <string>

#include "tracks/track_numbering.h"
#include "tracks/track_record.h"

namespace {

std::u16string FlagsOf(const TrackRecord& record) {
    char16_t text[kFlagTextLength + 1];
    BuildFlagText(record, text);
    return std::u16string(text);
}

TEST(TrackRecord, NewRecordHasThePathAndSevenEmptyTags) {
    TrackRecord* record = MakeTrackRecord(u"C:\\Musik\\a.wav");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::u16string(record->fields[kPath].Text()), u"C:\\Musik\\a.wav");
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        SCOPED_TRACE(field);
        EXPECT_TRUE(record->fields[field].IsEmpty());
        EXPECT_EQ(record->fields[field].Record(), nullptr);
    }
    delete record;
}

TEST(TrackRecord, FlagTextShowsALetterPerSetTagAndMinusPerEmptyOne) {
    struct Row {
        const char* name;
        const char16_t* tags[7];  // artist .. genre; null = empty
        const char16_t* expected;
    };
    const Row rows[] = {
        {"none", {}, u"  -------"},
        {"all", {u"a", u"b", u"c", u"d", u"1999", u"3", u"Rock"}, u"  KATNJ#G"},
        {"genre only",
         {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, u"Pop"},
         u"  ------G"},
        {"track number only",
         {nullptr, nullptr, nullptr, nullptr, nullptr, u"7", nullptr},
         u"  -----#-"},
        {"artist and year",
         {u"Queen", nullptr, nullptr, nullptr, u"1975", nullptr, nullptr},
         u"  K---J--"},
        {"a blank counts as set",
         {nullptr, u" ", nullptr, nullptr, nullptr, nullptr, nullptr},
         u"  -A-----"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TrackRecord record;
        for (int i = 0; i < 7; ++i) record.fields[kFirstTag + i].AssignText(row.tags[i]);
        const std::u16string flags = FlagsOf(record);
        EXPECT_EQ(flags.size(), size_t(kFlagTextLength));
        EXPECT_EQ(flags, row.expected);
    }
}

TEST(TrackNumbering, FormatDecimalHasNoLeadingZerosOrSign) {
    struct Row {
        uint32_t number;
        const char16_t* text;
    };
    const Row rows[] = {{0, u"0"},   {1, u"1"},         {9, u"9"},
                        {10, u"10"}, {32768, u"32768"}, {4294967295u, u"4294967295"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        char16_t text[11];
        const uint32_t length = FormatDecimal(row.number, text);
        EXPECT_EQ(std::u16string(text), row.text);
        EXPECT_EQ(length, std::u16string(row.text).size());
    }
}

TEST(TrackNumbering, EveryTrackGetsItsPositionPlusOne) {
    PointerArray<TrackRecord> tracks;
    for (int i = 0; i < 12; ++i) tracks.Add(MakeTrackRecord(u"x.wav"));
    tracks.GetAt(3)->fields[kTrackNumber].AssignText(u"99");
    NumberTracks(tracks);
    const char16_t* expected[] = {u"1", u"2", u"3", u"4",  u"5",  u"6",
                                  u"7", u"8", u"9", u"10", u"11", u"12"};
    ASSERT_EQ(tracks.Count(), 12u);
    for (uint32_t i = 0; i < tracks.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::u16string(tracks.GetAt(i)->fields[kTrackNumber].Text()), expected[i]);
    }
}

TEST(TrackNumbering, AnEmptyArrayStaysEmpty) {
    PointerArray<TrackRecord> tracks;
    NumberTracks(tracks);
    EXPECT_EQ(tracks.Count(), 0u);
}

}  // namespace
