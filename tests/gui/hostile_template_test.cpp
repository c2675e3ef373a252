// Hostile launcher templates beside the program: as large as the program takes, 50 MB,
// binary garbage that still holds "html" and "%callRuns%", and a folder of that name.
// Whatever the template, the launcher write ends with a launcher and with the program's words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/hostile_support.h"
#include "launcher/template_file_win.h"

using namespace hostile;

namespace {

const char kBuiltInStart[] = "<html>\r\n<head>\r\n\t<title>Call Lame</title>\r\n";

// 8-bit text in the ANSI code page as the launcher holds it: UTF-8.
std::string AnsiToUtf8(const std::string& ansi) {
    const int size = static_cast<int>(ansi.size());
    std::u16string wide(ansi.size(), u'\0');
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size,
                                          reinterpret_cast<wchar_t*>(wide.data()), size);
    wide.resize(units > 0 ? units : 0);
    return Utf8(wide);
}

class HostileTemplate : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        track_ = music_ + u"a.wav";
        DropFiles(dialog_, {track_});
    }
    void TearDown() override {
        template_.Remove();
        LauncherTest::TearDown();
    }

    // The message about the template, with its full path for %s.
    std::string TemplateMessage(const char16_t* before, const char16_t* after) const {
        return PrintableText(before + template_.Path() + after);
    }
    // The launcher's one track reads back as this track's input and output.
    void ExpectTrackArguments(const std::string& launcherText) {
        const LauncherParts parts = ReadLauncher(launcherText);
        ASSERT_TRUE(parts.readable);
        ASSERT_EQ(parts.trackArguments.size(), 1u);
        EXPECT_EQ(parts.trackArguments[0],
                  (std::vector<std::u16string>{track_, music_ + u"a.mp3"}));
    }

    BesideProgram template_{u"Tonschleuder-Vorlage.htm"};
    std::u16string track_;
};

// The largest template the program takes, up to 50 MB, with the letters html and the
// placeholders only behind a comment that fills it, so every test of it reads all of it.
TEST_F(HostileTemplate, LargestTakenTemplateWithMarkupAtItsEndIsTakenWhole) {
    const std::string head = "<!--";
    const std::string tail =
        "-->\r\n<html><script>\r\nvar lame_exe = \"%lame_exe%\";\r\n%callRuns%</script></html>\r\n";
    const uint64_t total = std::min<uint64_t>(50ull << 20, kLargestTemplateBytes);
    const std::string line = "Vorlage ohne Ende, Zeile um Zeile.\r\n";
    const uint64_t fillerSize = total - head.size() - tail.size();
    ASSERT_TRUE(template_.WriteGenerated(total, [&](std::string& chunk, uint64_t offset) {
        for (size_t i = 0; i < chunk.size(); ++i) {
            const uint64_t at = offset + i;
            if (at < head.size())
                chunk[i] = head[at];
            else if (at - head.size() < fillerSize)
                chunk[i] = line[(at - head.size()) % line.size()];
            else
                chunk[i] = tail[at - head.size() - fillerSize];
        }
    }));

    Watchdog dog(120);
    Stopwatch watch;
    const auto shown = Press();
    const double ms = watch.Milliseconds();
    EXPECT_EQ(shown, std::vector<std::string>{Written(u"Lame-Aufruf.hta")});

    const std::string launcher = Launcher();
    ASSERT_GT(launcher.size(), fillerSize) << "the launcher lost the template's body";
    EXPECT_EQ(launcher.compare(0, head.size(), head), 0);
    for (uint64_t at = 0; at < fillerSize; at += 997 * line.size() + 1) {
        const size_t pos = static_cast<size_t>(head.size() + at);
        ASSERT_EQ(launcher[pos], line[at % line.size()]) << "byte " << pos;
    }
    const std::string rest = launcher.substr(static_cast<size_t>(head.size() + fillerSize));
    EXPECT_EQ(rest.substr(0, 5), "-->\r\n");
    EXPECT_EQ(Utf8(ReadLauncher(rest).lameExe), Utf8(lame_));
    ExpectTrackArguments(rest);
    EXPECT_EQ(rest.substr(rest.size() - 18), "</script></html>\r\n");
    std::printf("[ timing   ] %llu byte template: launcher write %.0f ms\n",
                static_cast<unsigned long long>(total), ms);
}

// 50 MB, or one byte more than the program takes if that is more: the program's message
// about the template, then the launcher from the built-in template.
TEST_F(HostileTemplate, FiftyMegabytesOrMoreAreRefusedWithTheProgramsMessage) {
    ASSERT_TRUE(template_.Write("<html>%callRuns%</html>"));
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(template_.Path().c_str()),
                              GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // The file is made long without writing its zeros.
    LARGE_INTEGER size;
    size.QuadPart =
        static_cast<LONGLONG>(std::max<uint64_t>(50ull << 20, kLargestTemplateBytes + 1));
    const bool grown = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(grown);

    const auto shown = Press();
    EXPECT_EQ(shown, (std::vector<std::string>{
                         TemplateMessage(u"Die Vorlagendatei ",
                                         u"\r\n\r\n wurde wegen Speichermangel nicht geöffnet!"),
                         Written(u"Lame-Aufruf.hta")}));
    const std::string launcher = Launcher();
    EXPECT_EQ(launcher.substr(0, sizeof kBuiltInStart - 1), kBuiltInStart);
    ExpectTrackArguments(launcher);
}

TEST_F(HostileTemplate, BinaryGarbageStopsAtItsFirstNulAndIsNoHtml) {
    // Random bytes hold NUL bytes everywhere; the text ends at the first, long before the
    // letters html and the placeholder in the middle.
    std::string garbage = BinaryBytes(1 << 20, 0x9E3779B9u);
    garbage.replace(garbage.size() / 2, 14, "html%callRuns%");
    ASSERT_NE(garbage.find('\0'), std::string::npos);
    ASSERT_TRUE(template_.Write(garbage));

    const auto shown = Press();
    EXPECT_EQ(shown, (std::vector<std::string>{
                         TemplateMessage(u"Die Vorlagendatei ", u"\r\n\r\n ist keine HTML-Datei!"),
                         Written(u"Lame-Aufruf.hta")}));
    const std::string launcher = Launcher();
    EXPECT_EQ(launcher.substr(0, sizeof kBuiltInStart - 1), kBuiltInStart);
    ExpectTrackArguments(launcher);
}

TEST_F(HostileTemplate, BinaryGarbageWithoutNulIsTakenByteForByte) {
    // The same garbage without NUL bytes passes the test of the template: every byte is taken
    // as a character of the ANSI code page and the placeholder is filled in.
    std::string garbage = BinaryBytes(1 << 20, 0x9E3779B9u);
    for (char& byte : garbage)
        if (byte == '\0') byte = '\x01';
    const size_t middle = garbage.size() / 2;
    garbage.replace(middle, 14, "html%callRuns%");
    ASSERT_TRUE(template_.Write(garbage));

    const auto shown = Press();
    EXPECT_EQ(shown, std::vector<std::string>{Written(u"Lame-Aufruf.hta")});

    const std::string launcher = Launcher();
    const std::string before = AnsiToUtf8(garbage.substr(0, middle + 4));
    const std::string after = AnsiToUtf8(garbage.substr(middle + 14));
    ASSERT_GT(launcher.size(), before.size() + after.size());
    EXPECT_TRUE(launcher.compare(0, before.size(), before) == 0)
        << "garbage before the placeholder";
    EXPECT_TRUE(launcher.compare(launcher.size() - after.size(), after.size(), after) == 0)
        << "garbage after the placeholder";
    ExpectTrackArguments(
        launcher.substr(before.size(), launcher.size() - before.size() - after.size()));
}

TEST_F(HostileTemplate, FolderOfThatNameIsPassedOverSilently) {
    ASSERT_TRUE(template_.MakeFolder());
    ASSERT_TRUE(support::WriteBytes(template_.Path() + u"\\inside.htm", "<html>%callRuns%</html>"));

    const auto shown = Press();
    EXPECT_EQ(shown, std::vector<std::string>{Written(u"Lame-Aufruf.hta")});
    const std::string launcher = Launcher();
    EXPECT_EQ(launcher.substr(0, sizeof kBuiltInStart - 1), kBuiltInStart);
    ExpectTrackArguments(launcher);
}

}  // namespace
