// Shared pieces of the hostile-input tests: files beside the program, large inputs made at
// run time, a watchdog against hangs, and the readers that take a written launcher apart
// the way the page's HTML parser, its script engine and the encoder's C runtime will.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "gui/message_box_hook.h"

namespace hostile {

// The folder of the test program, ending in a backslash: "beside the program".
std::u16string ProgramFolder();

// Bytes no editor would write: a fixed-seed xorshift stream.
std::string BinaryBytes(size_t size, uint32_t seed);

// A file (or folder) of the given name beside the program, removed again when the object
// goes, so a failing test leaves nothing that would change the next dialog.
class BesideProgram {
  public:
    explicit BesideProgram(const std::u16string& name);
    ~BesideProgram();
    BesideProgram(const BesideProgram&) = delete;
    BesideProgram& operator=(const BesideProgram&) = delete;

    const std::u16string& Path() const { return path_; }
    bool Write(const std::string& bytes);
    // Writes `total` bytes made by `fill`, which gets a chunk to fill and the offset of its
    // first byte; one chunk buffer is reused, so 100 MB cost no 100 MB of memory.
    bool WriteGenerated(uint64_t total, const std::function<void(std::string&, uint64_t)>& fill);
    bool MakeFolder();
    void Remove();

  private:
    std::u16string path_;
};

// Ends the process with a message naming the test when the guarded code runs past its bound,
// so a hang fails the suite at once instead of running into the CI time limit.
class Watchdog {
  public:
    explicit Watchdog(DWORD seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    static DWORD WINAPI Watch(void* self);
    HANDLE done_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD seconds_;
    std::string test_;
};

// Milliseconds since construction.
class Stopwatch {
  public:
    Stopwatch();
    double Milliseconds() const;

  private:
    LARGE_INTEGER start_{};
};

// Copies text to the clipboard, focuses the edit, selects all of its text and sends WM_PASTE,
// as Ctrl+V does; the edit raises EN_CHANGE while focused. False when the clipboard failed.
bool PasteInto(HWND dialog, int editId, const std::u16string& text);

// The launcher taken apart.
struct LauncherParts {
    std::u16string lameExe;  // the value of the script variable lame_exe, quotes included
    std::u16string argComm;  // the value of arg_comm (both empty when not in the template)
    // Per callRun line, the arguments the encoder's C runtime reads from the track command.
    std::vector<std::vector<std::u16string>> trackArguments;
    bool readable = true;  // false when a literal was not closed on its line
};
LauncherParts ReadLauncher(const std::string& utf8);

// The arguments of a command line without a program name, by the Microsoft C runtime's
// rules (2n backslashes and a quote: n and a delimiter; 2n+1: n and a literal quote; ""
// inside quotes: one quote).
std::vector<std::u16string> SplitArguments(const std::u16string& commandLine);

// Where each script element's content begins and ends as an HTML parser tokenizes script
// data ("<!--" and "<script" inside it change where "</script>" ends the element).
struct ScriptElement {
    size_t contentBegin = 0;
    size_t contentEnd = 0;  // std::u16string::npos when the element never ends
};
std::vector<ScriptElement> FindScriptElements(const std::u16string& html);

// The argument after the given option ("--tt" and the like); "<absent>" when it is not there.
std::u16string OptionValue(const std::vector<std::u16string>& arguments,
                           const std::u16string& option);

// A fresh dialog with an existing stand-in Lame.exe in its path field, and a scratch
// folder with a "Musik" folder for the tracks; all removed again, the stored settings too.
class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Presses the batch button, answering the message boxes with these buttons in turn;
    // yields the texts of the boxes shown (CR LF written as \r\n), in order. Every box
    // must be owned by the dialog, captioned "Tonschleuder" and show no icon.
    std::vector<std::string> Press(std::deque<int> answers = {});
    // The launcher's bytes, "<missing>" when there is none.
    std::string Launcher() const;

    std::u16string folder_, music_, lame_, launcher_;
    HWND dialog_ = nullptr;
};

// "<file name> wurde geschrieben." as the texts of Press show it.
std::string Written(const std::u16string& fileName);
// The path and "\r\nkonnte nicht zum Schreiben geöffnet werden!" as Press shows it.
std::string NotOpened(const std::u16string& path);

}  // namespace hostile
