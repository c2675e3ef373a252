// A program installed in a folder deeper than MAX_PATH still finds its template file.
#include <gtest/gtest.h>

#include "support/files_win.h"

using namespace support;

namespace {

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

TEST(TemplateBesideTheProgram, IsFoundInAFolderDeeperThanMaxPath) {
    const std::u16string scratch = MakeScratchFolder(u"deep");
    std::u16string deep = scratch;
    while (deep.size() < 400) deep += u"Ein recht langer Ordnername fuer tiefe Installationen\\";
    ASSERT_TRUE(MakeFolders(deep));
    const std::u16string program = deep + u"tonschleuder.exe";
    ASSERT_TRUE(CopyFileW(W(FromUtf8(TS_TEMPLATE_PROBE)), W(program), FALSE));
    const std::string templ = "<html>deep %callRuns%</html>\r\n";
    ASSERT_TRUE(WriteBytes(deep + u"Tonschleuder-Vorlage.htm", templ));

    // Wine's CreateProcessW refuses a program path beyond MAX_PATH (error 123); its loader,
    // started from the host with the host path, takes it, as a long-path-aware Windows does.
    // (The loader "wine" is a shell script, which Wine does not start on its own.)
    const std::u16string report = scratch + u"probe.txt";
    ASSERT_TRUE(RunHostProgram({"/bin/sh", "/usr/bin/wine", UnixPathOf(program), Utf8(report)}));
    const std::string expected = Utf8(deep + u"Tonschleuder-Vorlage.htm") + "\n" + templ;
    WaitUntil([&] { return ReadBytes(report) == expected; }, 60000);
    EXPECT_EQ(ReadBytes(report), expected) << "program path of " << program.size() << " characters";
    RemoveTree(scratch);
}

}  // namespace
