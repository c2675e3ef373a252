// A stand-in for Lame.exe. It appends the arguments it received, as the C runtime split its
// command line, to a log as one line per run: a JSON array of strings with every unit
// outside printable ASCII written as \uXXXX, so any text survives. Then it exits with the
// code the test asked for.
//   TS_STANDIN_LOG        the log file (default: stand_in_lame.log beside this program)
//   TS_STANDIN_EXIT       exit code of every run (default 0)
//   TS_STANDIN_FAIL_ON    when an argument contains this text, exit with TS_STANDIN_FAIL_CODE
//   TS_STANDIN_FAIL_CODE  (default 1)
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Setting(const wchar_t* name) {
    wchar_t value[4096];
    const DWORD length = GetEnvironmentVariableW(name, value, 4096);
    return length > 0 && length < 4096 ? std::wstring(value, length) : std::wstring();
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
    // Runs follow each other, but the log may also be read while it grows: append only.
    HANDLE log =
        CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::string line = "[";
    for (int i = 0; i < argc; ++i) {
        if (i > 0) line += ", ";
        line += JsonString(argv[i]);
    }
    AppendLine(line + "]\n");

    const std::wstring failOn = Setting(L"TS_STANDIN_FAIL_ON");
    if (!failOn.empty())
        for (int i = 1; i < argc; ++i)
            if (std::wcsstr(argv[i], failOn.c_str()))
                return Number(Setting(L"TS_STANDIN_FAIL_CODE"), 1);
    return Number(Setting(L"TS_STANDIN_EXIT"), 0);
}
