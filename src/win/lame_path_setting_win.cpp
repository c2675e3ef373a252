// The Lame.exe path, remembered under HKEY_CURRENT_USER between runs.
#include "win/lame_path_setting_win.h"

#include <windows.h>

#include "win/file_exists_win.h"
#include "win/program_folder_win.h"
#include "win/utf16_cast.h"

const wchar_t kProgramKeyPath[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";

namespace {
const wchar_t kValueName[] = L"Lame-Path";
const char16_t kDefaultLamePath[] = u"Lame.exe";
const char16_t kBundledLameName[] = u"lame.exe";
// The longest path Windows accepts, in units without the terminator; the chooser offers
// as much, and a launcher write stores what it chose.
constexpr uint32_t kMaxPathUnits = 32767;
constexpr DWORD kMaxDataBytes = (kMaxPathUnits + 1) * sizeof(char16_t);
// Rounds of asking the size again when the value grew between asking and reading.
constexpr int kReadRounds = 4;

// Reads the stored path whole. False when the value is missing, is not REG_SZ or holds
// more than the longest path.
bool ReadStoredPath(HKEY key, WideString& path) {
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, kValueName, nullptr, &type, nullptr, &size);
    for (int round = 0; round < kReadRounds; ++round) {
        if (result != ERROR_SUCCESS || type != REG_SZ || size > kMaxDataBytes) return false;
        // One unit more than the data fills (PrepareBuffer adds it), so data stored
        // without a terminator still ends inside the buffer.
        if (!path.PrepareBuffer(size / sizeof(char16_t))) return false;
        DWORD read = size;
        result = RegQueryValueExW(key, kValueName, nullptr, &type,
                                  reinterpret_cast<BYTE*>(path.Buffer()), &read);
        if (result == ERROR_MORE_DATA) {
            result = RegQueryValueExW(key, kValueName, nullptr, &type, nullptr, &size);
            continue;
        }
        if (result != ERROR_SUCCESS || type != REG_SZ) return false;
        path.Buffer()[read / sizeof(char16_t)] = u'\0';
        return path.Length() <= kMaxPathUnits;
    }
    return false;
}

// The encoder that came with the program, by its full path; else the bare default name.
WideString BundledOrDefaultLamePath() {
    WideString path = ProgramFolder();
    if (!path.IsEmpty()) {
        path.Append(kBundledLameName);
        if (FileExists(path.Text())) return path;
    }
    path.AssignText(kDefaultLamePath);
    return path;
}
}  // namespace

WideString ReadLamePathSetting() {
    WideString path;
    bool found = false;
    HKEY key;
    if (RegOpenKeyW(HKEY_CURRENT_USER, kProgramKeyPath, &key) == ERROR_SUCCESS) {
        found = ReadStoredPath(key, path);
        RegCloseKey(key);
    }
    return found ? path : BundledOrDefaultLamePath();
}

void StoreLamePathSetting(const WideString& path) {
    HKEY key;
    if (RegCreateKeyW(HKEY_CURRENT_USER, kProgramKeyPath, &key) != ERROR_SUCCESS) return;
    DWORD bytes = (path.Length() + 1) * sizeof(char16_t);
    RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.Text()), bytes);
    RegCloseKey(key);
}
