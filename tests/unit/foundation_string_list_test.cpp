// StringList: the trimmed pieces of a split text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/string_list.h"

namespace {

std::vector<std::u16string> PiecesOf(const StringList& list) {
    std::vector<std::u16string> pieces;
    for (uint32_t i = 0; i < list.Count(); ++i) pieces.push_back(list.GetAt(i)->Text());
    return pieces;
}

TEST(StringList, SplitGivesTheTrimmedPieces) {
    using Pieces = std::vector<std::u16string>;
    const struct {
        const char16_t* text;
        const char16_t* separator;
        Pieces expected;
    } rows[] = {
        {u"a/b", u"/", {u"a", u"b"}},
        {u"/a", u"/", {u"a"}},
        {u"a//b", u"/", {u"a", u"b"}},
        {u"a/", u"/", {u"a", u""}},
        {u" a / b ", u"/", {u"a", u"b"}},
        {u"a/ /b", u"/", {u"a", u"", u"b"}},
        {u"abc", u"/", {u"abc"}},
        {u"C:\\Musik\\Band - Album\\01 Lied.wav",
         u"\\",
         {u"C:", u"Musik", u"Band - Album", u"01 Lied.wav"}},
        {u"Band - Album", u" - ", {u"Band", u"Album"}},
        {u"", u"/", {}},
        {nullptr, u"/", {}},
        {u"a/b", u"", {}},
        {u"a/b", nullptr, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        StringList list;
        list.Split(u"old/pieces", u"/");
        EXPECT_EQ(list.Split(row.text, row.separator), row.expected.size());
        EXPECT_EQ(PiecesOf(list), row.expected);
    }
}

TEST(StringList, AddPieceTrimsAndKeepsBlankPiecesAsEmpty) {
    StringList list;
    EXPECT_TRUE(list.AddPiece(u" ab \tcd", 5));
    EXPECT_TRUE(list.AddPiece(u"   ", 3));
    EXPECT_TRUE(list.AddPiece(nullptr, 3));
    EXPECT_TRUE(list.AddPiece(u"xyz", 0));
    EXPECT_EQ(PiecesOf(list), (std::vector<std::u16string>{u"ab", u"", u"", u""}));
    list.DeleteAll();
    EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
