// The pieces of a path offered by the "<" buttons of the artist, album and title fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tracks/path_pieces.h"

namespace {

std::vector<std::u16string> PiecesOf(const char16_t* path) {
    StringList pieces;
    CollectPathPieces(path, pieces);
    std::vector<std::u16string> texts;
    for (uint32_t i = 0; i < pieces.Count(); ++i) texts.emplace_back(pieces.GetAt(i)->Text());
    return texts;
}

struct PiecesCase {
    const char* name;
    const char16_t* path;
    std::vector<std::u16string> expected;
};

TEST(PathPieces, OffersFoldersFileNameAndItsPiecesInOrder) {
    const PiecesCase cases[] = {
        {"folders whole, file name split at ' - '",
         u"D:\\Musik\\Queen - Innuendo\\03 - Headlong.mp3",
         {u"D:", u"Musik", u"Queen - Innuendo", u"03 - Headlong", u"03", u"Headlong"}},
        {"splits at '-' and '_' follow the split at ' - '",
         u"E:\\mp3\\The_Beatles-Help.wav",
         {u"E:", u"mp3", u"The_Beatles-Help", u"The_Beatles", u"Help", u"The", u"Beatles-Help"}},
        {"a dot in a folder name is no extension",
         u"E:\\Daten\\Best.Of\\Notiz",
         {u"E:", u"Daten", u"Best.Of", u"Notiz"}},
        {"only the last extension goes", u"C:\\a\\b.c.mp3", {u"C:", u"a", u"b.c"}},
        {"repeated pieces are offered once", u"C:\\Queen\\Queen.mp3", {u"C:", u"Queen"}},
        {"pieces are trimmed", u"C:\\ A \\ B _ C .mp3", {u"C:", u"A", u"B _ C", u"B", u"C"}},
        {"empty pieces are never offered",
         u"\\\\server\\share\\-a--b_.mp3",
         {u"server", u"share", u"-a--b_", u"a", u"b_", u"-a--b"}},
        {"a trailing backslash leaves no file name", u"D:\\Musik\\", {u"D:", u"Musik"}},
        {"comparison is case-sensitive", u"C:\\queen\\Queen.ogg", {u"C:", u"queen", u"Queen"}},
        {"a name without a backslash offers nothing", u"Notiz.mp3", {}},
        {"an empty path offers nothing", u"", {}},
        {"a null path offers nothing", nullptr, {}},
    };
    for (const PiecesCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PiecesOf(c.path), c.expected);
    }
}

TEST(PathPieces, LeavesThePathItselfUnchanged) {
    WideString path;
    path.AssignText(u"D:\\Musik\\Queen - Innuendo\\03 - Headlong.mp3");
    WideString shared(path);
    StringList pieces;
    CollectPathPieces(shared.Text(), pieces);
    EXPECT_EQ(std::u16string(path.Text()), u"D:\\Musik\\Queen - Innuendo\\03 - Headlong.mp3");
    EXPECT_EQ(shared.Record(), path.Record());
    EXPECT_EQ(pieces.Count(), 6u);
}

TEST(PathPieces, ReplacesWhatTheListHeldBefore) {
    StringList pieces;
    CollectPathPieces(u"C:\\x\\y.mp3", pieces);
    CollectPathPieces(u"D:\\z.mp3", pieces);
    ASSERT_EQ(pieces.Count(), 2u);
    EXPECT_EQ(std::u16string(pieces.GetAt(0)->Text()), u"D:");
    EXPECT_EQ(std::u16string(pieces.GetAt(1)->Text()), u"z");
}

}  // namespace
