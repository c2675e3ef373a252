// The launcher template of a run: the built-in text, or the file "Tonschleuder-Vorlage.htm"
// beside the program when it can be read and passes the check.
#pragma once
#include <windows.h>

#include "foundation/wide_string.h"

// The full path of the template file beside the program; empty when the program's own
// path cannot be had.
WideString TemplateFilePath();

// The template of a run as read: its text, and for a file that is there but not acceptable
// (the built-in text is then used) the message that says so, %s for the file's path.
struct LauncherTemplate {
    WideString text;
    const char16_t* problem = nullptr;
    WideString path;
};

// Reads the template file at the given path, showing nothing.
LauncherTemplate ReadLauncherTemplate(const WideString& templatePath);

// Shows the template's problem, if it has one, in a message owned by `owner`.
void ReportLauncherTemplate(HWND owner, const LauncherTemplate& launcherTemplate);

// Template files above this size are refused like one that does not fit in memory: a
// page this large is no launcher template, and checking it byte by byte would stall.
constexpr unsigned long long kLargestTemplateBytes = 8ull * 1024 * 1024;
