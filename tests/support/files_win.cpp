#include "support/files_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <functional>

namespace support {
namespace {

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string QuotedArgument(const std::string& argument) {
    std::u16string quoted(1, u'"');
    quoted.append(FromUtf8(argument));
    quoted.push_back(u'"');
    return quoted;
}

void DeleteTreeWin32(const std::u16string& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(W(folder + u"*"), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
            if (name == u"." || name == u"..") continue;
            const std::u16string path = folder + name;
            SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTreeWin32(path + u"\\");
            else
                DeleteFileW(W(path));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(W(folder));
}

}  // namespace

std::u16string MakeScratchFolder(const std::u16string& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    std::u16string folder = reinterpret_cast<const char16_t*>(temp);
    if (folder.empty() || folder.back() != u'\\') folder += u'\\';
    folder += u"ts-" + name + u"-" + Decimal(GetCurrentProcessId()) + u"\\";
    RemoveTree(folder);
    MakeFolders(folder);
    return folder;
}

void RemoveTree(const std::u16string& folder) {
    std::u16string withSlash = folder;
    if (withSlash.empty()) return;
    if (withSlash.back() != u'\\') withSlash += u'\\';
    DeleteTreeWin32(withSlash);
    // Links to devices are beyond DeleteFileW under Wine; the host removes them.
    if (Exists(withSlash) && RunHostProgram({"/bin/rm", "-rf", UnixPathOf(withSlash)}))
        WaitUntil([&] { return !Exists(withSlash); });
}

bool MakeFolders(const std::u16string& folder) {
    for (size_t i = 3; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != u'\\') continue;
        CreateDirectoryW(W(folder.substr(0, i)), nullptr);
    }
    return Exists(folder);
}

std::u16string PathOfLength(const std::u16string& folder, size_t length,
                            const std::u16string& ending, char16_t unit) {
    if (folder.size() + ending.size() + 1 > length) return std::u16string();
    std::u16string path = folder;
    // Parts of at most 60 units: a Linux file name holds 255 bytes, 85 Japanese characters.
    while (path.size() + ending.size() + 61 < length) path += std::u16string(60, unit) + u"\\";
    return path + std::u16string(length - path.size() - ending.size(), unit) + ending;
}

bool Exists(const std::u16string& path) {
    return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

bool WriteBytes(const std::u16string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string AudioBytes(const std::string& text) {
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz: frames of 417 bytes.
    std::string frame("\xFF\xFB\x90\x64", 4);
    frame.resize(417, '\0');
    std::string bytes = frame + frame + frame + frame;
    bytes.replace(4, text.size() < 413 ? text.size() : 413, text.substr(0, 413));
    return bytes;
}

std::string ReadBytes(const std::u16string& path) {
    HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::vector<std::u16string> FolderNames(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(W(folder + u"*"), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
        if (name != u"." && name != u"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::u16string, std::string> FolderContents(const std::u16string& folder) {
    std::map<std::u16string, std::string> contents;
    for (const std::u16string& name : FolderNames(folder))
        contents[name] = ReadBytes(folder + name);
    return contents;
}

std::string UnixPathOf(const std::u16string& path) {
    // Wine's own export; the caller frees the result from the process heap.
    using UnixNameFunction = char*(CDECL*)(const wchar_t*);
    static const auto unixName = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::string();
    char* name = unixName(W(path));
    if (!name) return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool RunHostProgram(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    std::u16string commandLine;
    for (const std::string& argument : argv) {
        if (!commandLine.empty()) commandLine += u' ';
        commandLine += QuotedArgument(argument);
    }
    std::u16string program = u"Z:" + FromUtf8(argv[0]);
    std::replace(program.begin(), program.end(), u'/', u'\\');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(W(program), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // For a host program Wine hands back handles that cannot be waited on.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return WaitUntil(condition, timeoutMs, nullptr);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs,
               const std::function<void()>& step) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (step) step();
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        // A pumping caller wakes early for a message and answers it at once.
        if (step)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        else
            Sleep(10);
    }
}

bool LinkToDeviceFull(const std::u16string& path) {
    const std::string target = UnixPathOf(path);
    if (target.empty()) return false;
    if (!RunHostProgram({"/bin/ln", "-sfn", "/dev/full", target})) return false;
    // Wine reports no attributes for a device; opening it shows the link is there.
    return WaitUntil([&] {
        HANDLE device = CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (device == INVALID_HANDLE_VALUE) return false;
        CloseHandle(device);
        return true;
    });
}

DriveMapping::DriveMapping(char16_t letter, const std::u16string& folder) : letter_(letter) {
    const std::u16string root = std::u16string(1, letter) + u":\\";
    if (Exists(root)) return;  // the letter belongs to someone else
    // dosdevices holds "c:" for drive C; C: itself tells where dosdevices is.
    std::string dosdevices = UnixPathOf(u"C:\\");
    const size_t cut = dosdevices.rfind("/c:");
    if (cut == std::string::npos) return;
    dosdevices.resize(cut);
    const char lower = static_cast<char>(letter | 0x20);
    link_ = dosdevices + "/" + std::string(1, lower) + ":";
    active_ = RunHostProgram({"/bin/ln", "-sfn", UnixPathOf(folder), link_}) &&
              WaitUntil([&] { return Exists(root); });
}

DriveMapping::~DriveMapping() {
    if (link_.empty()) return;
    const std::u16string root = std::u16string(1, letter_) + u":\\";
    if (RunHostProgram({"/bin/rm", "-f", link_})) WaitUntil([&] { return !Exists(root); });
}

}  // namespace support

namespace support {
namespace {

using CreateDirectoryCall = BOOL(WINAPI*)(LPCWSTR, LPSECURITY_ATTRIBUTES);
CreateDirectoryCall realCreateDirectory = nullptr;

BOOL WINAPI CreateDirectoryAsWindows(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
    const bool extended = wcsncmp(path, L"\\\\?\\", 4) == 0;
    if (!extended && wcslen(path) >= 248) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return realCreateDirectory(path, security);
}

// The slot of this program's import table through which it calls the named function.
uintptr_t* ImportSlot(const char* name) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0)
                return reinterpret_cast<uintptr_t*>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void WriteSlot(uintptr_t* slot, uintptr_t value) {
    DWORD previous = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
}

}  // namespace

WindowsFolderLimit::WindowsFolderLimit() : slot_(ImportSlot("CreateDirectoryW")) {
    if (!slot_) return;
    real_ = *slot_;
    realCreateDirectory = reinterpret_cast<CreateDirectoryCall>(real_);
    WriteSlot(slot_, reinterpret_cast<uintptr_t>(&CreateDirectoryAsWindows));
}

WindowsFolderLimit::~WindowsFolderLimit() {
    if (slot_) WriteSlot(slot_, real_);
}

}  // namespace support
