// Where the launcher file goes, its numbered name and its temporary name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "launcher/launcher_names.h"
#include "support/test_text.h"
#include "support/wide_text.h"

namespace {

TEST(LauncherPathFor, PutsTheFileIntoTheFirstTracksFolder) {
    struct PathCase {
        const char* name;
        const char16_t* track;
        std::u16string expected;
    };
    const PathCase cases[] = {
        {"folder", u"D:\\Musik\\a.wav", u"D:\\Musik\\Lame-Aufruf.hta"},
        {"drive root", u"D:\\a.wav", u"D:\\Lame-Aufruf.hta"},
        {"network share", u"\\\\srv\\share\\x.mp3", u"\\\\srv\\share\\Lame-Aufruf.hta"},
        {"dots in folders", u"C:\\a.b\\c", u"C:\\a.b\\Lame-Aufruf.hta"},
        {"no backslash", u"a.wav", u"Lame-Aufruf.hta"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::u16string(LauncherPathFor(Wide(c.track)).Text()), c.expected);
    }
}

TEST(LauncherPathFor, LeavesTheTracksPathAsItWas) {
    const WideString track = Wide(u"D:\\Musik\\a.wav");
    const WideString launcher = LauncherPathFor(track);
    EXPECT_EQ(std::u16string(track.Text()), u"D:\\Musik\\a.wav");
    EXPECT_NE(launcher.Record(), track.Record());
}

struct ExistingFiles {
    std::set<std::u16string> paths;
    int asked = 0;
};

bool Exists(const char16_t* path, void* context) {
    auto* files = static_cast<ExistingFiles*>(context);
    ++files->asked;
    return files->paths.count(path) > 0;
}

TEST(FindNumberedLauncherPath, TakesTheFirstFreeNumber) {
    const WideString launcher = Wide(u"D:\\Musik\\Lame-Aufruf.hta");
    ExistingFiles none;
    EXPECT_EQ(std::u16string(FindNumberedLauncherPath(launcher, Exists, &none).Text()),
              u"D:\\Musik\\Lame-Aufruf(1).hta");
    EXPECT_EQ(none.asked, 1);

    ExistingFiles some{{u"D:\\Musik\\Lame-Aufruf(1).hta", u"D:\\Musik\\Lame-Aufruf(3).hta"}};
    EXPECT_EQ(std::u16string(FindNumberedLauncherPath(launcher, Exists, &some).Text()),
              u"D:\\Musik\\Lame-Aufruf(2).hta");

    ExistingFiles many;
    for (int n = 1; n <= 120; ++n) {
        many.paths.insert(u"D:\\Musik\\Lame-Aufruf(" + Decimal(n) + u").hta");
    }
    EXPECT_EQ(std::u16string(FindNumberedLauncherPath(launcher, Exists, &many).Text()),
              u"D:\\Musik\\Lame-Aufruf(121).hta");
    EXPECT_EQ(many.asked, 121);
}

TEST(FindNumberedLauncherPath, CutsAtTheLastDotOnly) {
    ExistingFiles none;
    EXPECT_EQ(
        std::u16string(
            FindNumberedLauncherPath(Wide(u"D:\\My.Music\\Lame-Aufruf.hta"), Exists, &none).Text()),
        u"D:\\My.Music\\Lame-Aufruf(1).hta");
}

// Without a long-path manifest a path must fit into MAX_PATH: the temporary file may be no
// longer than the launcher, or a launcher that fits could fail for its temporary name alone.
TEST(TemporaryLauncherPathFor, ReplacesTheEndingSoTheNameGrowsNoLonger) {
    struct TemporaryCase {
        const char* name;
        const char16_t* launcher;
        std::u16string expected;
    };
    const TemporaryCase cases[] = {
        {"launcher", u"D:\\Musik\\Lame-Aufruf.hta", u"D:\\Musik\\Lame-Aufruf.tmp"},
        {"numbered", u"D:\\Musik\\Lame-Aufruf(3).hta", u"D:\\Musik\\Lame-Aufruf(3).tmp"},
        {"dots in folders", u"\\\\srv\\a.hta\\Lame-Aufruf(12).hta",
         u"\\\\srv\\a.hta\\Lame-Aufruf(12).tmp"},
        {"upper-case ending", u"C:\\Lame-Aufruf.HTA", u"C:\\Lame-Aufruf.tmp"},
        {"no folder", u"Lame-Aufruf.hta", u"Lame-Aufruf.tmp"},
        {"ending alone", u".hta", u".tmp"},
    };
    for (const TemporaryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const WideString launcher = Wide(c.launcher);
        const WideString temporary = TemporaryLauncherPathFor(launcher);
        EXPECT_EQ(std::u16string(temporary.Text()), c.expected);
        EXPECT_LE(temporary.Length(), launcher.Length());
        EXPECT_NE(std::u16string(temporary.Text()), std::u16string(launcher.Text()));
        EXPECT_EQ(std::u16string(launcher.Text()), c.launcher) << "the launcher path is kept";
    }
}

TEST(TemporaryLauncherPathFor, OtherPathsStillGetADifferentName) {
    for (const char16_t* other : {u"D:\\Musik\\Lame-Aufruf", u"D:\\x.tmp", u"hta", u""}) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(other)));
        EXPECT_EQ(std::u16string(TemporaryLauncherPathFor(Wide(other)).Text()),
                  std::u16string(other) + u".tmp");
    }
}

}  // namespace
