// Reports where the program looks for its launcher template and which template it takes:
// the template's path, a line feed, then the template text, as UTF-8 into the file named by
// the first argument. Run from a copy in a deep folder by the launcher tests.
#include <windows.h>

#include "foundation/narrow_string.h"
#include "launcher/template_file_win.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    WideString report = TemplateFilePath();
    report.Append(u"\n");
    const LauncherTemplate launcherTemplate = ReadLauncherTemplate(TemplateFilePath());
    ReportLauncherTemplate(nullptr, launcherTemplate);
    report.Append(launcherTemplate.text);
    const NarrowString bytes = report.ToUtf8();
    HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, bytes.Text(), bytes.Length(), &written, nullptr);
    CloseHandle(file);
    return written == bytes.Length() ? 0 : 1;
}
