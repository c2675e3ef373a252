// A hostile launcher folder: one that may not be written in, a launcher that may not be
// replaced, a disk that is full, a text too long to be made, fifty numbered launchers already
// there. An existing launcher stays intact unless it is replaced whole, and the user is told
// what happened.
//
// Under Wine run as root, permissions stop nothing: chmod 555 on a folder only makes Wine
// report FILE_ATTRIBUTE_READONLY for it (and root still creates files there), and
// SetFileAttributesW(FILE_ATTRIBUTE_READONLY) on a folder is ignored (on Windows that
// attribute does not stop writing into a folder either). What does stop root is the host's
// immutable flag (chattr +i), which stands in here for a folder or file the user may not
// write; where the host refuses that flag (no CAP_LINUX_IMMUTABLE) those cases are skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/hostile_support.h"
#include "launcher/template_file_win.h"
#include "resources/control_ids.h"

using namespace hostile;

namespace {

const char16_t kQuestion[] = u"Soll die bereits existierende Datei überschrieben werden?";

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Probe files that could be made but not removed again, because the flag landed in between;
// they are removed once the flag is lifted.
std::vector<std::u16string> strayProbes;

// Whether a new file can be made in the folder. Each probe has a name of its own, so one left
// behind by a race with the host cannot make a later probe fail.
bool CanCreateIn(const std::u16string& folder) {
    static int probes = 0;
    const std::u16string probe = folder + u"probe" + FromUtf8(std::to_string(++probes)) + u".tmp";
    HANDLE file = CreateFileW(W(probe), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    // Wine unlinks at the last close, so a deletion the flag refused can still report success.
    if (!DeleteFileW(W(probe)) || support::Exists(probe)) strayProbes.push_back(probe);
    return true;
}

// Whether the file or the folder can be written: a file opened for writing, a folder given a
// new file.
bool CanWrite(const std::u16string& path) {
    if (support::Exists(path + u"\\")) return CanCreateIn(path + u"\\");
    HANDLE file =
        CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// How long a host program may take to start and finish on a busy machine.
constexpr DWORD kHostTimeoutMs = 15000;

// Sets the host's immutable flag on a file or folder for the lifetime of the object. The host
// program may still be running when Wine reports it started, so each change is awaited.
class Immutable {
  public:
    explicit Immutable(const std::u16string& path)
        : path_(path), unixPath_(support::UnixPathOf(path)) {
        if (unixPath_.empty()) return;
        started_ = support::RunHostProgram({"/usr/bin/chattr", "+i", unixPath_});
        locked_ = started_ && PumpUntil([&] { return !CanWrite(path_); }, kHostTimeoutMs);
    }
    ~Immutable() { Lift(); }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;

    // False when the host refused the flag (no CAP_LINUX_IMMUTABLE, no chattr).
    bool Locked() const { return locked_; }
    // Clears the flag; also when it was only asked for, in case it landed after the wait.
    void Lift() {
        if (!started_) return;
        started_ = false;
        support::RunHostProgram({"/usr/bin/chattr", "-i", unixPath_});
        if (locked_) PumpUntil([&] { return CanWrite(path_); }, kHostTimeoutMs);
        locked_ = false;
        for (const std::u16string& probe : strayProbes)
            PumpUntil(
                [&] {
                    DeleteFileW(W(probe));
                    return !support::Exists(probe);
                },
                kHostTimeoutMs);
        strayProbes.clear();
    }

  private:
    std::u16string path_;
    std::string unixPath_;
    bool started_ = false;
    bool locked_ = false;
};

std::u16string Numbered(const std::u16string& folder, int n) {
    return folder + u"Lame-Aufruf(" + FromUtf8(std::to_string(n)) + u").hta";
}

class HostileLauncherFolder : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        DropFiles(dialog_, {music_ + u"a.wav"});
    }
    void TearDown() override {
        // The read-only attribute would block removal (the flags are lifted by their owners).
        for (const std::u16string& name : support::FolderNames(music_))
            SetFileAttributesW(W(music_ + name), FILE_ATTRIBUTE_NORMAL);
        LauncherTest::TearDown();
    }
};

TEST_F(HostileLauncherFolder, FolderThatMayNotBeWrittenInTellsWhichFile) {
    ASSERT_TRUE(support::WriteBytes(launcher_, "old launcher"));
    Immutable locked(music_);
    if (!locked.Locked()) GTEST_SKIP() << "the host does not let this user lock a folder";

    // Yes: the launcher itself cannot be replaced.
    EXPECT_EQ(Press({IDYES}),
              (std::vector<std::string>{PrintableText(kQuestion), NotOpened(launcher_)}));
    // No: the numbered name cannot be created either.
    EXPECT_EQ(Press({IDNO}),
              (std::vector<std::string>{PrintableText(kQuestion), NotOpened(Numbered(music_, 1))}));
    locked.Lift();
    EXPECT_EQ(Launcher(), "old launcher");
    EXPECT_EQ(support::FolderNames(music_), std::vector<std::u16string>{u"Lame-Aufruf.hta"});

    // Once the folder may be written again, the same press replaces the launcher whole.
    EXPECT_EQ(Press({IDYES}),
              (std::vector<std::string>{PrintableText(kQuestion), Written(u"Lame-Aufruf.hta")}));
    EXPECT_EQ(Launcher().substr(0, 6), "<html>");
}

TEST_F(HostileLauncherFolder, LauncherThatMayNotBeReplacedAnsweredYesStaysIntact) {
    struct Case {
        const char* name;
        std::function<bool()> lock;  // false when the host cannot make this case
    };
    std::unique_ptr<Immutable> immutable;
    HANDLE held = INVALID_HANDLE_VALUE;
    const Case cases[] = {
        {"read-only attribute",
         [&] { return SetFileAttributesW(W(launcher_), FILE_ATTRIBUTE_READONLY) != FALSE; }},
        {"not writable even by root",
         [&] {
             immutable = std::make_unique<Immutable>(launcher_);
             return immutable->Locked();
         }},
        {"a folder of that name",
         [&] {
             DeleteFileW(W(launcher_));
             return CreateDirectoryW(W(launcher_), nullptr) != FALSE;
         }},
        // Still writable, so the new text is written beside it; only taking its place fails.
        {"open in a program that does not share its deletion",
         [&] {
             held = CreateFileW(W(launcher_), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
             EXPECT_TRUE(CanWrite(launcher_));
             return held != INVALID_HANDLE_VALUE;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(support::WriteBytes(launcher_, "old launcher"));
        if (!c.lock()) {
            std::printf("[ skipped  ] %s: the host cannot make this case\n", c.name);
            continue;
        }
        const std::string before = support::Exists(launcher_ + u"\\") ? "<folder>" : Launcher();

        EXPECT_EQ(Press({IDYES}),
                  (std::vector<std::string>{PrintableText(kQuestion), NotOpened(launcher_)}));
        EXPECT_EQ(support::Exists(launcher_ + u"\\") ? "<folder>" : Launcher(), before);
        EXPECT_EQ(support::FolderNames(music_), std::vector<std::u16string>{u"Lame-Aufruf.hta"})
            << "nothing is left beside it";

        // No: the next free name, and the kept one is still as it was.
        EXPECT_EQ(Press({IDNO}), (std::vector<std::string>{PrintableText(kQuestion),
                                                           Written(u"Lame-Aufruf(1).hta")}));
        EXPECT_EQ(support::Exists(launcher_ + u"\\") ? "<folder>" : Launcher(), before);
        EXPECT_EQ(support::ReadBytes(Numbered(music_, 1)).substr(0, 6), "<html>");

        immutable.reset();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        SetFileAttributesW(W(launcher_), FILE_ATTRIBUTE_NORMAL);
        support::RemoveTree(music_);
        support::MakeFolders(music_);
    }
}

TEST_F(HostileLauncherFolder, FullDiskWhileWritingTheNumberedLauncherKeepsEverything) {
    ASSERT_TRUE(support::WriteBytes(launcher_, "old launcher"));
    // The launcher is written into "Lame-Aufruf(1).tmp" first; there every write fails, disk
    // full.
    ASSERT_TRUE(support::LinkToDeviceFull(music_ + u"Lame-Aufruf(1).tmp"))
        << "cannot link to /dev/full";

    EXPECT_EQ(Press({IDNO}),
              (std::vector<std::string>{
                  PrintableText(kQuestion),
                  PrintableText(Numbered(music_, 1) +
                                u"\r\nkonnte nicht vollständig geschrieben werden!")}));
    EXPECT_EQ(Launcher(), "old launcher");
    EXPECT_FALSE(support::Exists(Numbered(music_, 1))) << "no broken launcher appears";
}

// A template holding nothing but "%arg_comm%", as large as the program takes it, and a "+"
// text so long that the filled text would hold more than a string can: the text is lost,
// and that must not be written over the old launcher as an empty one.
TEST_F(HostileLauncherFolder, TextTooLongToBeMadeKeepsTheOldLauncher) {
    ASSERT_TRUE(support::WriteBytes(launcher_, "old launcher"));
    BesideProgram templ(u"Tonschleuder-Vorlage.htm");
    const std::string head = "<html>";
    const std::string placeholder = "%arg_comm%";
    const uint64_t count = (kLargestTemplateBytes - head.size()) / placeholder.size();
    ASSERT_TRUE(templ.WriteGenerated(
        head.size() + count * placeholder.size(), [&](std::string& chunk, uint64_t offset) {
            for (size_t i = 0; i < chunk.size(); ++i) {
                const uint64_t at = offset + i;
                chunk[i] = at < head.size() ? head[at]
                                            : placeholder[(at - head.size()) % placeholder.size()];
            }
        }));
    const std::u16string extra(static_cast<size_t>((1ull << 32) / count + 1), u'x');
    SetDlgItemTextW(dialog_, IDE_EXTRA_ARGS, W(extra));
    ASSERT_EQ(ControlText(dialog_, IDE_EXTRA_ARGS).size(), extra.size());

    EXPECT_EQ(Press({IDYES}),
              (std::vector<std::string>{
                  PrintableText(kQuestion),
                  PrintableText(launcher_ + u"\r\nkonnte nicht vollständig geschrieben werden!")}));
    EXPECT_EQ(Launcher(), "old launcher");
    EXPECT_EQ(support::FolderNames(music_), std::vector<std::u16string>{u"Lame-Aufruf.hta"})
        << "no temporary file is left";
}

TEST_F(HostileLauncherFolder, FiftyNumberedLaunchersThereAnsweredNo) {
    ASSERT_TRUE(support::WriteBytes(launcher_, "old launcher"));
    for (int n = 1; n <= 49; ++n)
        ASSERT_TRUE(support::WriteBytes(Numbered(music_, n), "launcher " + std::to_string(n)));
    ASSERT_TRUE(support::MakeFolders(Numbered(music_, 50) + u"\\")) << "a folder counts as taken";

    EXPECT_EQ(Press({IDNO}), (std::vector<std::string>{PrintableText(kQuestion),
                                                       Written(u"Lame-Aufruf(51).hta")}));
    EXPECT_EQ(support::ReadBytes(Numbered(music_, 51)).substr(0, 6), "<html>");
    EXPECT_EQ(Launcher(), "old launcher");
    for (int n = 1; n <= 49; ++n)
        ASSERT_EQ(support::ReadBytes(Numbered(music_, n)), "launcher " + std::to_string(n));

    // A gap is filled first.
    ASSERT_TRUE(DeleteFileW(W(Numbered(music_, 37))));
    EXPECT_EQ(Press({IDNO}), (std::vector<std::string>{PrintableText(kQuestion),
                                                       Written(u"Lame-Aufruf(37).hta")}));
    EXPECT_EQ(support::ReadBytes(Numbered(music_, 36)), "launcher 36");
    EXPECT_EQ(support::ReadBytes(Numbered(music_, 38)), "launcher 38");
    EXPECT_EQ(support::FolderNames(music_).size(), 52u) << "no temporary file is left";
}

}  // namespace
