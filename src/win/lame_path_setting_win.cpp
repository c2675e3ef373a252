// The Lame.exe path, remembered under HKEY_CURRENT_USER between runs.
#include "win/lame_path_setting_win.h"

#include <windows.h>

#include "win/file_exists_win.h"
#include "win/program_folder_win.h"
#include "win/registry_win.h"
#include "win/utf16_cast.h"

const wchar_t kProgramKeyPath[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";

namespace {
const wchar_t kValueName[] = L"Lame-Path";
const char16_t kDefaultLamePath[] = u"Lame.exe";
const char16_t kBundledLameName[] = u"lame.exe";
// The longest path Windows accepts, in units without the terminator; the chooser offers
// as much, and a launcher write stores what it chose.
constexpr uint32_t kMaxPathUnits = 32767;

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
        found = ReadRegistryText(key, kValueName, kMaxPathUnits, path);
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
