// Running a written launcher's page script outside the HTML Application host: Wine's
// script host (cscript) with the stand-ins of launcher_harness.js, and reading back what the
// stand-in encoder received.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// The text of the page's first <script> element, ended as an HTML parser ends it: at the
// first "</script" (any case) followed by a blank, "/" or ">".
std::string PageScript(const std::string& launcherBytes);

// The script as ASCII: the launcher's UTF-8 decoded (its page says charset=utf-8) and every
// unit beyond ASCII written as a \uXXXX escape, since Wine's script host reads a script file
// in the ANSI code page and cannot read UTF-16 files.
std::string AsciiScript(const std::string& utf8Script);

// Decodes the escapes the harness and the stand-in write: \\, \" and \uXXXX.
std::u16string Unescape(const std::string& text);

struct HarnessRun {
    int style = -1;          // the window style given to WScript.Shell.Run
    int exitCode = -1;       // what it returned
    std::u16string command;  // the command as it reached Wine's Run (expanded in the model)
};

// What the page showed after one of its turns.
struct PageTurn {
    int reportedRuns = 0;     // runs whose end the report shows ("OK" or " error = ")
    std::u16string progress;  // the paragraph "progress" as markup
};

struct ScriptResult {
    bool finished = false;         // cscript ended in time and the harness reported to its end
    std::vector<HarnessRun> runs;  // the page's own, helpers started included
    std::vector<HarnessRun> helperRuns;  // the runs of the helper scripts the page started
    std::vector<PageTurn> turns;
    // The nodes appended to the paragraph "report" as markup: text with &, < and > as
    // entities, a <br> element as "<br>".
    std::u16string report;
    std::string output;  // everything cscript printed
    // When the harness clicked "Stop" and closed the window (milliseconds since 1601, as the
    // stand-in encoder logs its times), or 0.
    unsigned long long clickTime = 0;
    unsigned long long closeTime = 0;
    // When the harness checked and unchecked "Paused", or 0.
    unsigned long long pauseTime = 0;
    unsigned long long resumeTime = 0;
    // When the page's onload handler began, and when its report got its last line, or 0.
    unsigned long long beginTime = 0;
    unsigned long long endTime = 0;
};

// Whose WScript.Shell the launcher runs with (see launcher_harness.js): Wine's, whose Run
// passes a command on unchanged, or a model of Windows', whose Run replaces %NAME% first.
enum class Host { kWine, kWindowsModel };

// The launcher's one write of a parameterised property, which Wine's JScript cannot run, and
// the call of the model of Windows' WScript.Shell that stands for it in that host.
extern const char kEnvironmentWrite[];
extern const char kEnvironmentWriteInModel[];

using Environment = std::vector<std::pair<std::u16string, std::u16string>>;

// Runs the launcher's script with cscript in the host given, as the page's onload handler and
// then its timer callbacks, in turns; the settings go into cscript's environment (and so
// into the helpers' and the stand-in encoder's). workFolder (ending in a backslash) receives
// the script files and cscript's output. For the model of Windows the launcher must hold
// kEnvironmentWrite once. A script still running after timeoutSeconds is ended.
ScriptResult RunLauncherScript(const std::string& launcherBytes, const std::u16string& workFolder,
                               const Environment& settings, Host host, int timeoutSeconds = 60);

// The stand-in encoder's log: one argument vector per run, in the order the runs ended.
std::vector<std::vector<std::u16string>> ReadStandInLog(const std::u16string& logPath);

// When each run of the stand-in started and ended (milliseconds, comparable between runs), in
// the order of ReadStandInLog.
std::vector<std::pair<unsigned long long, unsigned long long>> ReadStandInTimes(
    const std::u16string& logPath);

// Waits until no process of this name (such as a launcher's helpers, wscript.exe) runs, for
// at most the milliseconds given; false when one still runs then.
bool WaitForNoProcess(const std::u16string& name, unsigned milliseconds);

// Runs a program with this command line to its end (at most a minute); its exit code, or -1.
int RunToEnd(std::u16string commandLine);
