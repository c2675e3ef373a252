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
    int style = -1;          // the window style vbRun was given
    int exitCode = -1;       // what WScript.Shell.Run returned
    std::u16string command;  // the command line, unchanged
};

struct ScriptResult {
    bool finished = false;  // cscript ended in time and the harness reported to its end
    std::vector<HarnessRun> runs;
    std::u16string report;  // innerHTML of the paragraph "report"
    std::string output;     // everything cscript printed
};

using Environment = std::vector<std::pair<std::u16string, std::u16string>>;

// Runs the launcher's script with cscript; the settings go into cscript's environment (and so
// into the stand-in encoder's). workFolder receives the script file and cscript's output.
ScriptResult RunLauncherScript(const std::string& launcherBytes, const std::u16string& workFolder,
                               const Environment& settings);

// The stand-in encoder's log: one argument vector per run.
std::vector<std::vector<std::u16string>> ReadStandInLog(const std::u16string& logPath);
