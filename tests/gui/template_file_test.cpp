// The template file "Tonschleuder-Vorlage.htm" beside the program: which files are taken,
// the three messages about the others, and that the launcher is written either way.
#include <gtest/gtest.h>

#include "gui/launcher_dialog.h"
#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "launcher/template_file_win.h"
#include "resources/control_ids.h"

using namespace support;

namespace {

const char16_t kNotHtml[] = u" ist keine HTML-Datei!";
const char16_t kNoPlaceholder[] =
    u" fehlt mindestens einer der Platzhalter %lame_exe%, %arg_comm% oder %callRuns%!";
const char16_t kNoMemory[] = u" wurde wegen Speichermangel nicht geöffnet!";
const char16_t kWritten[] = u"Lame-Aufruf.hta wurde geschrieben.";

// Where the program looks for its template: beside its own file.
std::u16string ExpectedTemplatePath() {
    wchar_t module[4096] = {};
    GetModuleFileNameW(nullptr, module, 4096);
    std::u16string path = reinterpret_cast<const char16_t*>(module);
    return path.substr(0, path.rfind(u'\\') + 1) + u"Tonschleuder-Vorlage.htm";
}

// "Die Vorlagendatei <path>\r\n\r\n ist keine HTML-Datei!" and its kin.
std::u16string TemplateMessage(const std::u16string& tail) {
    const std::u16string opening =
        tail == kNoPlaceholder ? u"Der Vorlagendatei " : u"Die Vorlagendatei ";
    return opening + ExpectedTemplatePath() + u"\r\n\r\n" + tail;
}

std::string Escaped(const std::u16string& path) {
    std::string out;
    for (char c : Utf8(path)) {
        out += c;
        if (c == '\\') out += '\\';
    }
    return out;
}

void RemoveTemplate() {
    const std::u16string path = ExpectedTemplatePath();
    const auto* wide = reinterpret_cast<const wchar_t*>(path.c_str());
    SetFileAttributesW(wide, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wide);
    RemoveDirectoryW(wide);
}

class TemplateFile : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveTemplate();
        folder_ = MakeScratchFolder(u"template");
        lame_ = folder_ + u"lame.exe";
        WriteBytes(lame_, "MZ");
        launcher_ = folder_ + u"Lame-Aufruf.hta";
        dialog_ = OpenFreshDialog();
        ASSERT_NE(dialog_, nullptr);
        SetFieldText(dialog_, IDE_LAME_PATH, lame_);
        DropFiles(dialog_, {folder_ + u"a.wav"});
    }
    void TearDown() override {
        RemoveTemplate();
        CloseDialog(dialog_);
        RemoveTree(folder_);
    }

    // One launcher write with a fresh launcher; yields the texts of the boxes shown.
    std::vector<std::u16string> Run(std::deque<int> answers = {}) {
        DeleteFileW(reinterpret_cast<const wchar_t*>(launcher_.c_str()));
        MessageBoxRecorder recorder(std::move(answers));
        PressBatchButton(dialog_);
        return recorder.Texts();
    }
    // The launcher the built-in template gives for this dialog.
    std::string BuiltInLauncher() {
        RemoveTemplate();
        EXPECT_EQ(Run(), std::vector<std::u16string>{kWritten});
        return ReadBytes(launcher_);
    }
    // The one track's callRun line, as the launcher holds it.
    std::string CallRunLine() {
        const std::string source = Escaped(folder_ + u"a.wav");
        const std::string output = Escaped(folder_ + u"a.mp3");
        return "\tcallRun (' \"" + source + "\" \"" + output + "\"', 0, '" + source + "', '" +
               output + "', '');\r\n";
    }
    void PutTemplate(const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(ExpectedTemplatePath(), bytes));
    }

    std::u16string folder_, lame_, launcher_;
    HWND dialog_ = nullptr;
};

TEST_F(TemplateFile, NoFileMeansTheBuiltInTemplateAndNoMessage) {
    EXPECT_EQ(Run(), std::vector<std::u16string>{kWritten});
    EXPECT_EQ(ReadBytes(launcher_).substr(0, 41), "<html>\r\n<head>\r\n\t<title>Call Lame</title>");
}

TEST_F(TemplateFile, RejectedFilesAreReportedAndTheBuiltInTemplateIsWritten) {
    const std::string builtIn = BuiltInLauncher();
    struct Row {
        const char* name;
        std::string bytes;
        const char16_t* message;
    };
    const Row rows[] = {
        {"no html letters", "<body>%callRuns%</body>", kNotHtml},
        {"empty file", "", kNotHtml},
        {"UTF-16: its first NUL byte ends the text",
         std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0%\0c\0a\0l\0l\0R\0u\0n\0s\0%\0", 30), kNotHtml},
        {"html only after a NUL byte", std::string("x\0<html>%callRuns%", 18), kNotHtml},
        {"placeholders in other letter cases", "<HTML>%CALLRUNS% %Lame_Exe% %ARG_COMM%",
         kNoPlaceholder},
        {"only %delOrig%", "<html>%delOrig%</html>", kNoPlaceholder},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PutTemplate(row.bytes);
        const auto texts = Run();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(PrintableText(texts[0]), PrintableText(TemplateMessage(row.message)));
        EXPECT_EQ(PrintableText(texts[1]), PrintableText(kWritten));
        EXPECT_EQ(ReadBytes(launcher_), builtIn);
    }
}

TEST_F(TemplateFile, AcceptedFileIsFilledInAndWrittenAsUtf8) {
    const std::string lame = Escaped(lame_);
    const std::string callRun = CallRunLine();
    // The byte 0xFC is taken in the ANSI code page, whatever that is here.
    wchar_t fromAnsi[2] = {};
    MultiByteToWideChar(CP_ACP, 0, "\xFC", 1, fromAnsi, 2);
    const std::string ansiInUtf8 = Utf8(std::u16string(1, static_cast<char16_t>(fromAnsi[0])));
    struct Row {
        const char* name;
        std::string templ;
        std::string launcher;
    };
    const Row rows[] = {
        {"html in a comment, only %callRuns%", "<!-- xhtml -->[%callRuns%]",
         "<!-- xhtml -->[" + callRun + "]"},
        {"every placeholder, some twice",
         "<HtMl>%lame_exe%|%arg_comm%|%delOrig%|%callRuns%|%lame_exe%",
         "<HtMl>" + lame + "| --priority 0 -b 128 -h|0|" + callRun + "|" + lame},
        {"a byte beyond ASCII", "<html>\xFC%arg_comm%",
         "<html>" + ansiInUtf8 + " --priority 0 -b 128 -h"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PutTemplate(row.templ);
        EXPECT_EQ(Run(), std::vector<std::u16string>{kWritten});
        EXPECT_EQ(ReadBytes(launcher_), row.launcher);
    }
}

TEST_F(TemplateFile, FolderOfThatNameIsPassedOverSilently) {
    const std::string builtIn = BuiltInLauncher();
    const std::u16string path = ExpectedTemplatePath();
    ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr));
    EXPECT_EQ(Run(), std::vector<std::u16string>{kWritten});
    EXPECT_EQ(ReadBytes(launcher_), builtIn);
}

TEST_F(TemplateFile, FileTooLargeForATemplateGetsTheMemoryMessage) {
    const std::string builtIn = BuiltInLauncher();
    const std::u16string path = ExpectedTemplatePath();
    // A sparse file: the size is what counts, and it is refused before anything is read.
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kLargestTemplateBytes) + 1;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);

    const auto texts = Run();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(PrintableText(texts[0]), PrintableText(TemplateMessage(kNoMemory)));
    EXPECT_EQ(ReadBytes(launcher_), builtIn);
}

TEST_F(TemplateFile, FiftyMegabyteFileIsRefusedAtOnce) {
    const std::string builtIn = BuiltInLauncher();
    PutTemplate(std::string(50u << 20, 'x') + "<html>%callRuns%");
    const DWORD start = GetTickCount();
    const auto texts = Run();
    const DWORD elapsed = GetTickCount() - start;
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(PrintableText(texts[0]), PrintableText(TemplateMessage(kNoMemory)));
    EXPECT_EQ(ReadBytes(launcher_), builtIn);
    std::printf("50 MB template refused, launcher written: %lu ms\n",
                static_cast<unsigned long>(elapsed));
}

TEST_F(TemplateFile, FileOfTheLargestSizeIsStillTaken) {
    std::string big(kLargestTemplateBytes - 16, 'x');
    big += "<html>%callRuns%";
    PutTemplate(big);
    const DWORD start = GetTickCount();
    const auto texts = Run();
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(texts, std::vector<std::u16string>{kWritten});
    EXPECT_TRUE(ReadBytes(launcher_) == big.substr(0, big.size() - 10) + CallRunLine());
    std::printf("%llu byte template, html at its end: taken and written in %lu ms\n",
                kLargestTemplateBytes, static_cast<unsigned long>(elapsed));
}

TEST_F(TemplateFile, LauncherThatCannotBeOpenedComesBeforeAnyTemplateMessage) {
    PutTemplate("no letters of that kind");
    WriteBytes(launcher_, "old");
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(launcher_.c_str()),
                       FILE_ATTRIBUTE_READONLY);
    MessageBoxRecorder recorder({IDYES});
    PressBatchButton(dialog_);
    const auto texts = recorder.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(PrintableText(texts[1]),
              PrintableText(launcher_ + u"\r\nkonnte nicht zum Schreiben geöffnet werden!"));
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(launcher_.c_str()), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
