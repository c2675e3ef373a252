// A stand-in for Lame.exe. It appends the arguments it received, as the C runtime split its
// command line, to a log as one line per run: a JSON array of strings with every unit
// outside printable ASCII written as \uXXXX, so any text survives, then the times it started
// and ended. Like LAME, it creates its output (the last argument) at once and writes it
// while it works. Then it exits with the code the test asked for.
//   TS_STANDIN_LOG        the log file (default: stand_in_lame.log beside this program)
//   TS_STANDIN_EXIT       exit code of every run (default 0)
//   TS_STANDIN_FAIL_ON    when an argument contains this text, exit with TS_STANDIN_FAIL_CODE
//   TS_STANDIN_FAIL_CODE  (default 1)
//   TS_STANDIN_EMPTY_ON   when an argument contains this text, leave the output empty
//   TS_STANDIN_SLEEP_MS   take this long, asleep
//   TS_STANDIN_BURN_MS    take this long, busy on one processor, as an encoder is
//   TS_STANDIN_END_HELPER_ON  when an argument contains this text, end the process that
//                         started this run (a launcher's helper script) before exiting
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Setting(const wchar_t* name) {
    wchar_t value[4096];
    const DWORD length = GetEnvironmentVariableW(name, value, 4096);
    return length > 0 && length < 4096 ? std::wstring(value, length) : std::wstring();
}

bool AnyArgumentHolds(int argc, wchar_t** argv, const wchar_t* setting) {
    const std::wstring text = Setting(setting);
    if (text.empty()) return false;
    for (int i = 1; i < argc; ++i)
        if (std::wcsstr(argv[i], text.c_str())) return true;
    return false;
}

// Milliseconds since 1601, comparable between processes.
unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) /
           10000;
}

void Burn(unsigned long long milliseconds) {
    const unsigned long long end = Now() + milliseconds;
    volatile unsigned work = 0;
    while (Now() < end)
        for (int i = 0; i < 100000; ++i) work = work * 31 + 7;
}

int Number(const std::wstring& text, int fallback) {
    return text.empty() ? fallback : static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

std::string JsonString(const wchar_t* text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (; *text; ++text) {
        const unsigned unit = static_cast<unsigned short>(*text);
        if (unit == '"' || unit == '\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
        }
    }
    return out + "\"";
}

std::wstring LogPath() {
    std::wstring path = Setting(L"TS_STANDIN_LOG");
    if (!path.empty()) return path;
    wchar_t self[32768];
    const DWORD length = GetModuleFileNameW(nullptr, self, 32768);
    path.assign(self, length);
    return path.substr(0, path.rfind(L'\\') + 1) + L"stand_in_lame.log";
}

void AppendLine(const std::string& line) {
    // Runs may end together, and the log may be read while it grows: append only, one writer
    // at a time (Wine's appends from two processes at once may land at one offset, and a line
    // is lost), the others trying again for up to ten seconds.
    HANDLE log = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 2000 && log == INVALID_HANDLE_VALUE; ++tries) {
        log = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log == INVALID_HANDLE_VALUE) Sleep(5);
    }
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

// Ends the process that started this one, as a security product or a script time limit
// would end a helper.
void EndParent() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    HANDLE process = parent ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, parent) : nullptr;
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const unsigned long long started = Now();
    HANDLE output = argc > 1 ? CreateFileW(argv[argc - 1], GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                             : INVALID_HANDLE_VALUE;
    Sleep(static_cast<DWORD>(Number(Setting(L"TS_STANDIN_SLEEP_MS"), 0)));
    Burn(static_cast<unsigned long long>(Number(Setting(L"TS_STANDIN_BURN_MS"), 0)));
    if (output != INVALID_HANDLE_VALUE) {
        static const char kEncoded[] = "encoded by the stand-in";
        DWORD written = 0;
        if (!AnyArgumentHolds(argc, argv, L"TS_STANDIN_EMPTY_ON"))
            WriteFile(output, kEncoded, sizeof kEncoded - 1, &written, nullptr);
        CloseHandle(output);
    }

    std::string line = "[";
    for (int i = 0; i < argc; ++i) {
        if (i > 0) line += ", ";
        line += JsonString(argv[i]);
    }
    AppendLine(line + "] " + std::to_string(started) + " " + std::to_string(Now()) + "\n");

    if (AnyArgumentHolds(argc, argv, L"TS_STANDIN_END_HELPER_ON")) EndParent();
    if (AnyArgumentHolds(argc, argv, L"TS_STANDIN_FAIL_ON"))
        return Number(Setting(L"TS_STANDIN_FAIL_CODE"), 1);
    return Number(Setting(L"TS_STANDIN_EXIT"), 0);
}
