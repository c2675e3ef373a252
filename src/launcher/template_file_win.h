// The launcher template of a run: the built-in text, or the file "Tonschleuder-Vorlage.htm"
// beside the program when it can be read and passes the check.
#pragma once
#include <windows.h>

#include "foundation/wide_string.h"

// The full path of the template file beside the program; empty when the program's own
// path cannot be had.
WideString TemplateFilePath();

// The template of the run. A file that is there but not acceptable is reported with its
// message owned by `owner`, and the built-in template is used.
WideString ObtainLauncherTemplate(HWND owner);

// The same for a template file at the given path.
WideString ObtainLauncherTemplateFrom(HWND owner, const WideString& templatePath);

// Template files above this size are refused like one that does not fit in memory: a
// page this large is no launcher template, and checking it byte by byte would stall.
constexpr unsigned long long kLargestTemplateBytes = 8ull * 1024 * 1024;
