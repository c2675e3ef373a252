// Files, folders, host programs and Wine drive mappings for the tests and benchmarks that
// write launchers. Everything lives under the Wine prefix's temporary folder and is removed
// again by its test.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/test_text.h"

namespace support {

// A fresh, empty folder under the temporary folder, its path ending in a backslash.
std::u16string MakeScratchFolder(const std::u16string& name);
// Removes a folder with everything in it (also links that Win32 cannot delete).
void RemoveTree(const std::u16string& folder);
// Creates the folder and any missing parents.
bool MakeFolders(const std::u16string& folder);
// A path of exactly `length` units in the folder, ending in `ending`, through folders of the
// unit given (each part short enough for the host's file system); "" when the folder is longer.
std::u16string PathOfLength(const std::u16string& folder, size_t length,
                            const std::u16string& ending, char16_t unit = u'd');

bool Exists(const std::u16string& path);
bool WriteBytes(const std::u16string& path, const std::string& bytes);
// The file's bytes; "<missing>" when it cannot be read.
std::string ReadBytes(const std::u16string& path);
// A source file's bytes that the save takes for audio the encoder reads: four frames of MPEG
// audio in a row, the text (up to 413 bytes) at the start of the first one's data.
std::string AudioBytes(const std::string& text);
// The names in a folder (no "." and ".."), sorted.
std::vector<std::u16string> FolderNames(const std::u16string& folder);
// Each file of a folder with its bytes.
std::map<std::u16string, std::string> FolderContents(const std::u16string& folder);

// The host path Wine uses for a Windows path.
std::string UnixPathOf(const std::u16string& path);
// Starts a host program with the given arguments (Wine starts host binaries too). Wine gives
// no handle to wait on, so the caller waits for the program's effect.
bool RunHostProgram(const std::vector<std::string>& argv);
// Checks the condition until it holds or the bound runs out; yields its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);
// The same, running `step` (for example a message pump) between the checks.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs,
               const std::function<void()>& step);
// Makes path a symbolic link to /dev/full: opening it works, every write fails, disk full.
bool LinkToDeviceFull(const std::u16string& path);

// Maps a drive letter to a folder through a link in the prefix's dosdevices folder, for the
// lifetime of the object. Active() is false when the letter is taken or the link failed.
class DriveMapping {
  public:
    DriveMapping(char16_t letter, const std::u16string& folder);
    ~DriveMapping();
    DriveMapping(const DriveMapping&) = delete;
    DriveMapping& operator=(const DriveMapping&) = delete;
    bool Active() const { return active_; }

  private:
    char16_t letter_;
    std::string link_;
    bool active_ = false;
};

}  // namespace support

namespace support {

// For the lifetime of the object, this program's CreateDirectoryW refuses a folder of 248 units
// or more in the usual form, as Windows does while long paths are not enabled (Wine has no
// such limit): its import is replaced by a model. Active() is false when it was not found.
class WindowsFolderLimit {
  public:
    WindowsFolderLimit();
    ~WindowsFolderLimit();
    WindowsFolderLimit(const WindowsFolderLimit&) = delete;
    WindowsFolderLimit& operator=(const WindowsFolderLimit&) = delete;
    bool Active() const { return slot_ != nullptr; }

  private:
    uintptr_t* slot_ = nullptr;
    uintptr_t real_ = 0;
};

}  // namespace support
