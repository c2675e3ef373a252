// Which paths the file calls are given in the extended-length form, and how it is written.
#include <gtest/gtest.h>

#include <string>

#include "foundation/long_path.h"
#include "launcher_decoder.h"

namespace {

TEST(PathForFileCalls, WritesFullPathsOf260UnitsOrMoreInTheExtendedLengthForm) {
    struct PathCase {
        const char* name;
        std::u16string path, given;
    };
    const std::u16string x256(256, u'x'), x300(300, u'x');
    const PathCase cases[] = {
        {"259 units stay", u"C:\\" + x256, u"C:\\" + x256},
        {"260 units", u"C:\\" + x256 + u"y", u"\\\\?\\C:\\" + x256 + u"y"},
        {"small drive letter, a folder", u"d:\\" + x300 + u"\\", u"\\\\?\\d:\\" + x300 + u"\\"},
        {"network path", u"\\\\srv\\share\\" + x300, u"\\\\?\\UNC\\srv\\share\\" + x300},
        {"already extended", u"\\\\?\\C:\\" + x300, u"\\\\?\\C:\\" + x300},
        {"device path", u"\\\\.\\C:\\" + x300, u"\\\\.\\C:\\" + x300},
        {"relative", x300, x300},
        {"relative to a drive", u"C:" + x300, u"C:" + x300},
        {"rooted without a drive", u"\\" + x300, u"\\" + x300},
        // The extended form is not normalised: such paths keep the usual one.
        {"slash", u"C:\\a/" + x300, u"C:\\a/" + x300},
        {"dot part", u"C:\\.\\" + x300, u"C:\\.\\" + x300},
        {"dot-dot part", u"C:\\a\\..\\" + x300, u"C:\\a\\..\\" + x300},
        {"doubled backslash", u"C:\\a\\\\" + x300, u"C:\\a\\\\" + x300},
        {"dots inside a name stay", u"C:\\..a\\" + x300 + u".mp3",
         u"\\\\?\\C:\\..a\\" + x300 + u".mp3"},
        {"empty", u"", u""},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        WideString holder;
        EXPECT_EQ(std::u16string(PathForFileCalls(c.path.c_str(), holder)), c.given)
            << Printable(c.path);
    }
    // An output name is judged with its suffix.
    const std::u16string base = u"C:\\" + std::u16string(252, u'x');
    EXPECT_EQ(*ExtendedLengthPrefixOf(base.c_str(), 255, 4).prefix, u'\0');
    EXPECT_EQ(std::u16string(ExtendedLengthPrefixOf(base.c_str(), 255, 5).prefix), u"\\\\?\\");
}

TEST(PathForFolderCalls, WritesFoldersOf248UnitsOrMoreInTheExtendedLengthForm) {
    const std::u16string x244(244, u'x');
    WideString holder;
    EXPECT_EQ(std::u16string(PathForFolderCalls((u"C:\\" + x244).c_str(), holder)), u"C:\\" + x244);
    EXPECT_EQ(std::u16string(PathForFolderCalls((u"C:\\" + x244 + u"y").c_str(), holder)),
              u"\\\\?\\C:\\" + x244 + u"y");
}

}  // namespace
