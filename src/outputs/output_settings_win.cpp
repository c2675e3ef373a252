#include "outputs/output_settings_win.h"

#include <windows.h>

#include "outputs/name_pattern.h"
#include "outputs/output_folder.h"
#include "win/full_path_win.h"
#include "win/lame_path_setting_win.h"
#include "win/registry_win.h"
#include "win/utf16_cast.h"

namespace {

const wchar_t kOwnFolderValue[] = L"Output-Own-Folder";
const wchar_t kFolderValue[] = L"Output-Folder";
const wchar_t kKeepSourceFoldersValue[] = L"Output-Keep-Source-Folders";
const wchar_t kPatternValue[] = L"Output-Name-Pattern";
const wchar_t kCoverValue[] = L"Cover";
const wchar_t kSkipExistingValue[] = L"Output-Skip-Existing";
// Longer than any folder or pattern the dialog takes (4,096 units with the terminator).
constexpr uint32_t kMostTextUnits = 4095;

// A switch: REG_DWORD 0 or 1; a missing value or anything else counts as the default.
bool ReadSwitch(HKEY key, const wchar_t* name, bool byDefault = false) {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value) || value > 1)
        return byDefault;
    return value == 1;
}

bool WriteText(HKEY key, const wchar_t* name, const WideString& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.Text()),
                          (text.Length() + 1) * sizeof(char16_t)) == ERROR_SUCCESS;
}

bool WriteSwitch(HKEY key, const wchar_t* name, bool on) {
    const DWORD value = on ? 1 : 0;
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace

OutputSettings ReadOutputSettings() {
    OutputSettings settings;
    HKEY key;
    if (RegOpenKeyW(HKEY_CURRENT_USER, kProgramKeyPath, &key) == ERROR_SUCCESS) {
        if (ReadRegistryText(key, kFolderValue, kMostTextUnits, settings.folder))
            settings.folder = FullOutputFolder(settings.folder);
        if (CheckOutputFolder(settings.folder.Text()) != FolderProblem::kNone)
            settings.folder.Clear();
        settings.ownFolder = ReadSwitch(key, kOwnFolderValue) && !settings.folder.IsEmpty();
        settings.keepSourceFolders = ReadSwitch(key, kKeepSourceFoldersValue);
        settings.cover = ReadSwitch(key, kCoverValue, true);
        settings.skipExisting = ReadSwitch(key, kSkipExistingValue);
        if (ReadRegistryText(key, kPatternValue, kMostTextUnits, settings.pattern) &&
            CheckNamePattern(settings.pattern.Text()).problem != PatternProblem::kNone)
            settings.pattern.Clear();
        RegCloseKey(key);
    }
    if (settings.pattern.IsEmpty()) settings.pattern.AssignText(kDefaultNamePattern);
    return settings;
}

WideString FullOutputFolder(const WideString& typed) {
    const FolderProblem problem = CheckOutputFolder(typed.Text());
    if (problem != FolderProblem::kNone && problem != FolderProblem::kTooLong) return typed;
    // "D:" alone is the drive's root, not the folder current there.
    WideString folder = typed;
    if (folder.Length() == 2) folder.Append(u"\\");
    return FullPathOf(folder);
}

bool StoreOutputSettings(const OutputSettings& settings) {
    HKEY key;
    if (RegCreateKeyW(HKEY_CURRENT_USER, kProgramKeyPath, &key) != ERROR_SUCCESS) return false;
    const bool stored = WriteSwitch(key, kOwnFolderValue, settings.ownFolder) &&
                        WriteText(key, kFolderValue, settings.folder) &&
                        WriteSwitch(key, kKeepSourceFoldersValue, settings.keepSourceFolders) &&
                        WriteText(key, kPatternValue, settings.pattern) &&
                        WriteSwitch(key, kCoverValue, settings.cover) &&
                        WriteSwitch(key, kSkipExistingValue, settings.skipExisting);
    RegCloseKey(key);
    return stored;
}
