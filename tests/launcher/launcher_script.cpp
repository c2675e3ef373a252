#include "launcher/launcher_script.h"

#include <tlhelp32.h>

#include <cctype>
#include <cstring>
#include <sstream>

#include "support/files_win.h"

using namespace support;

namespace {

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

size_t FindNoCase(const std::string& text, const std::string& needle, size_t from) {
    for (size_t at = from; at + needle.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < needle.size() &&
               std::tolower(static_cast<unsigned char>(text[at + i])) == needle[i])
            ++i;
        if (i == needle.size()) return at;
    }
    return std::string::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Sets environment variables for the child processes and puts the old values back after.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(const Environment& settings) {
        for (const auto& [name, value] : settings) {
            wchar_t old[4096];
            const DWORD length = GetEnvironmentVariableW(W(name), old, 4096);
            saved_.push_back({name, length > 0 && length < 4096,
                              std::u16string(reinterpret_cast<const char16_t*>(old),
                                             length < 4096 ? length : 0)});
            SetEnvironmentVariableW(W(name), W(value));
        }
    }
    ~ScopedEnvironment() {
        for (const Saved& saved : saved_)
            SetEnvironmentVariableW(W(saved.name), saved.had ? W(saved.value) : nullptr);
    }

  private:
    struct Saved {
        std::u16string name;
        bool had;
        std::u16string value;
    };
    std::vector<Saved> saved_;
};

void EndProcess(PROCESS_INFORMATION& process) {
    if (!process.hProcess) return;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
}

HarnessRun ParseRun(const std::u16string& text) {
    HarnessRun run;
    const size_t first = text.find(u' ');
    const size_t second = text.find(u' ', first + 1);
    if (first == std::u16string::npos || second == std::u16string::npos) return run;
    run.style = std::stoi(Utf8(text.substr(0, first)));
    run.exitCode = std::stoi(Utf8(text.substr(first + 1, second - first - 1)));
    run.command = text.substr(second + 1);
    return run;
}

}  // namespace

std::string PageScript(const std::string& launcherBytes) {
    const size_t open = FindNoCase(launcherBytes, "<script", 0);
    if (open == std::string::npos) return std::string();
    const size_t start = launcherBytes.find('>', open);
    if (start == std::string::npos) return std::string();
    for (size_t end = FindNoCase(launcherBytes, "</script", start); end != std::string::npos;
         end = FindNoCase(launcherBytes, "</script", end + 1)) {
        const size_t after = end + 8;
        if (after >= launcherBytes.size()) return launcherBytes.substr(start + 1);
        const char next = launcherBytes[after];
        if (next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\r' ||
            next == '\n' || next == '\f')
            return launcherBytes.substr(start + 1, end - start - 1);
    }
    return launcherBytes.substr(start + 1);
}

std::string AsciiScript(const std::string& utf8Script) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (char16_t unit : FromUtf8(utf8Script)) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
            continue;
        }
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
    }
    return out;
}

std::u16string Unescape(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += static_cast<char16_t>(static_cast<unsigned char>(text[i]));
            continue;
        }
        const char kind = text[++i];
        if (kind == 'u' && i + 4 < text.size()) {
            int unit = 0;
            for (int k = 1; k <= 4; ++k) unit = unit * 16 + HexDigit(text[i + k]);
            out += static_cast<char16_t>(unit);
            i += 4;
        } else {
            out += static_cast<char16_t>(kind);
        }
    }
    return out;
}

// The page's onload handler is run(). An error the launcher does not catch ends the script
// with its message, where Wine's script host would wait on it.
const char kScriptEnd[] =
    "\r\ntry {\r\n\tharnessRunPage (run);\r\n} catch (e) {\r\n"
    "\tWScript.Echo (\"SCRIPT ERROR \" + e.number + \" \" + e.message);\r\n"
    "\tWScript.Quit (1);\r\n}\r\n";

const char kEnvironmentWrite[] = "\t\tshell.Environment (\"Process\") (name) = \"%\";\r\n";
const char kEnvironmentWriteInModel[] =
    "\t\tshell.Environment (\"Process\").put (name, \"%\");\r\n";

ScriptResult RunLauncherScript(const std::string& launcherBytes, const std::u16string& workFolder,
                               const Environment& settings, Host host, int timeoutSeconds) {
    ScriptResult result;
    std::string script = PageScript(launcherBytes);
    Environment hostSettings = settings;
    hostSettings.push_back({u"TS_HOST", host == Host::kWine ? u"wine" : u"windows"});
    hostSettings.push_back({u"TS_HARNESS_JS", FromUtf8(TS_LAUNCHER_HARNESS_JS)});
    hostSettings.push_back({u"TS_HARNESS_SLEEP", FromUtf8(TS_HARNESS_SLEEP)});
    hostSettings.push_back({u"TS_HARNESS_WORK", workFolder.substr(0, workFolder.size() - 1)});
    if (host == Host::kWindowsModel) {
        const size_t write = script.find(kEnvironmentWrite);
        if (write == std::string::npos ||
            script.find(kEnvironmentWrite, write + 1) != std::string::npos) {
            result.output = "the launcher does not hold its environment write exactly once";
            return result;
        }
        script.replace(write, std::strlen(kEnvironmentWrite), kEnvironmentWriteInModel);
    }
    // The sleeper that stays, for the harness's waits between turns.
    const std::u16string portPath = workFolder + u"sleep-port.txt";
    DeleteFileW(W(portPath));
    std::u16string sleeperLine = u"harness_sleep.exe --serve \"" + portPath + u"\"";
    STARTUPINFOW sleeperStartup{};
    sleeperStartup.cb = sizeof sleeperStartup;
    PROCESS_INFORMATION sleeper{};
    if (CreateProcessW(W(FromUtf8(TS_HARNESS_SLEEP)),
                       reinterpret_cast<wchar_t*>(sleeperLine.data()), nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &sleeperStartup, &sleeper)) {
        for (int wait = 0; wait < 200 && ReadBytes(portPath) == "<missing>"; ++wait) Sleep(50);
        const std::string port = ReadBytes(portPath);
        if (port != "<missing>")
            hostSettings.push_back(
                {u"TS_HARNESS_SLEEP_URL", u"http://127.0.0.1:" + FromUtf8(port) + u"/"});
    }
    const std::u16string scriptPath = workFolder + u"launcher-script.js";
    const std::u16string outputPath = workFolder + u"cscript-output.txt";
    const std::string harness = ReadBytes(FromUtf8(TS_LAUNCHER_HARNESS_JS));
    WriteBytes(scriptPath, harness + "\r\n" + AsciiScript(script) + kScriptEnd);

    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE output = CreateFileW(W(outputPath), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return result;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::u16string cscript =
        std::u16string(reinterpret_cast<const char16_t*>(system)) + u"\\cscript.exe";
    // Wine's cscript knows no //E: switch; the .js ending picks JScript.
    std::u16string commandLine = u"cscript.exe //nologo \"" + scriptPath + u"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    BOOL started = FALSE;
    {
        ScopedEnvironment environment(hostSettings);
        started = CreateProcessW(W(cscript), reinterpret_cast<wchar_t*>(commandLine.data()),
                                 nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, W(workFolder),
                                 &startup, &process);
    }
    CloseHandle(output);
    if (!started) {
        EndProcess(sleeper);
        return result;
    }
    if (WaitForSingleObject(process.hProcess, timeoutSeconds * 1000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EndProcess(sleeper);

    result.output = ReadBytes(outputPath);
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("RUN ", 0) == 0) result.runs.push_back(ParseRun(Unescape(line.substr(4))));
        if (line.rfind("REPORT ", 0) == 0) result.report = Unescape(line.substr(7));
        if (line.rfind("TURN ", 0) == 0) {
            const size_t blank = line.find(' ', 5);
            result.turns.push_back(
                {std::atoi(line.c_str() + 5),
                 Unescape(line.substr(blank == std::string::npos ? line.size() : blank + 1))});
        }
        if (line.rfind("CLICK ", 0) == 0) result.clickTime = std::stoull(line.substr(6));
        if (line.rfind("CLOSE ", 0) == 0) result.closeTime = std::stoull(line.substr(6));
        if (line.rfind("PAUSE ", 0) == 0) result.pauseTime = std::stoull(line.substr(6));
        if (line.rfind("RESUME ", 0) == 0) result.resumeTime = std::stoull(line.substr(7));
        if (line.rfind("BEGIN ", 0) == 0) result.beginTime = std::stoull(line.substr(6));
        if (line.rfind("ENDED ", 0) == 0) result.endTime = std::stoull(line.substr(6));
        if (line == "END") result.finished = true;
    }
    // Each helper recorded its runs in a file of its own.
    for (int helper = 1;; ++helper) {
        const std::string records =
            ReadBytes(workFolder + u"helper-" + FromUtf8(std::to_string(helper)) + u".runs");
        if (records == "<missing>") {
            if (!Exists(workFolder + u"helper-" + FromUtf8(std::to_string(helper)) + u".js")) break;
            continue;
        }
        std::istringstream recordLines(records);
        while (std::getline(recordLines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) result.helperRuns.push_back(ParseRun(Unescape(line)));
        }
    }
    return result;
}

std::vector<std::vector<std::u16string>> ReadStandInLog(const std::u16string& logPath) {
    std::vector<std::vector<std::u16string>> runs;
    const std::string log = ReadBytes(logPath);
    if (log == "<missing>") return runs;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::u16string> arguments;
        line = line.substr(0, line.rfind(']'));
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '"') continue;
            std::string escaped;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                escaped += line[i];
                if (line[i] == '\\' && i + 1 < line.size()) escaped += line[++i];
            }
            arguments.push_back(Unescape(escaped));
        }
        runs.push_back(arguments);
    }
    return runs;
}

std::vector<std::pair<unsigned long long, unsigned long long>> ReadStandInTimes(
    const std::u16string& logPath) {
    std::vector<std::pair<unsigned long long, unsigned long long>> times;
    const std::string log = ReadBytes(logPath);
    if (log == "<missing>") return times;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream numbers(line.substr(line.rfind(']') + 1));
        unsigned long long started = 0, ended = 0;
        numbers >> started >> ended;
        times.push_back({started, ended});
    }
    return times;
}

namespace {

bool ProcessRuns(const std::u16string& name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry))
        found = lstrcmpiW(entry.szExeFile, W(name)) == 0;
    CloseHandle(snapshot);
    return found;
}

}  // namespace

bool WaitForNoProcess(const std::u16string& name, unsigned milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (ProcessRuns(name)) {
        if (GetTickCount64() > end) return false;
        Sleep(50);
    }
    return true;
}

// Runs a program with this command line to its end; its exit code, or -1.
int RunToEnd(std::u16string commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr,
                        FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD exitCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}
