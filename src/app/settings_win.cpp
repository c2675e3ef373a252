// The Lame.exe path, remembered under HKEY_CURRENT_USER between runs.
#include "app/settings_win.h"

#include "app/shell_win.h"
#include "resources/control_ids.h"

namespace {
const wchar_t kKeyPath[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";
const wchar_t kValueName[] = L"Lame-Path";
const wchar_t kDefaultLamePath[] = L"Lame.exe";
constexpr DWORD kPathUnits = MAX_PATH;
}  // namespace

void ReadLamePathIntoField() {
    // One unit more than the value may fill, so data stored without a terminator
    // still ends inside the buffer.
    wchar_t path[kPathUnits + 1] = {};
    bool found = false;
    HKEY key;
    if (RegOpenKeyW(HKEY_CURRENT_USER, kKeyPath, &key) == ERROR_SUCCESS) {
        DWORD type = 0;
        DWORD size = kPathUnits * sizeof(wchar_t);
        LONG result =
            RegQueryValueExW(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
        RegCloseKey(key);
        found = result == ERROR_SUCCESS && type == REG_SZ;
        if (found) path[size / sizeof(wchar_t)] = L'\0';
    }
    SetDlgItemTextW(MainWindow(), IDE_LAME_PATH, found ? path : kDefaultLamePath);
}

void StoreLamePath(const WideString& path) {
    HKEY key;
    if (RegCreateKeyW(HKEY_CURRENT_USER, kKeyPath, &key) != ERROR_SUCCESS) return;
    DWORD bytes = (path.Length() + 1) * sizeof(char16_t);
    RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.Text()), bytes);
    RegCloseKey(key);
}
