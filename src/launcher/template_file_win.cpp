// Reading the external launcher template and checking it before it replaces the built-in one.
#include "launcher/template_file_win.h"

#include "foundation/narrow_string.h"
#include "launcher/launcher_template.h"
#include "win/message_win.h"
#include "win/program_folder_win.h"
#include "win/utf16_cast.h"

namespace {

enum class TemplateRead { kRead, kUnreadable, kNoMemory };

// Reads the whole file into bytes, NUL-terminated. Never reads more than the size taken
// before, so a file that grows meanwhile cannot overrun the buffer.
TemplateRead ReadTemplateBytes(HANDLE file, NarrowString& bytes) {
    // A device or a pipe beside the program is no template.
    if (GetFileType(file) != FILE_TYPE_DISK) return TemplateRead::kUnreadable;
    // A size the system cannot tell leaves nothing safe to read: passed over like a file
    // that cannot be opened.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return TemplateRead::kUnreadable;
    if (static_cast<unsigned long long>(size.QuadPart) > kLargestTemplateBytes)
        return TemplateRead::kNoMemory;
    const DWORD total = static_cast<DWORD>(size.QuadPart);
    if (!bytes.PrepareBuffer(total)) return TemplateRead::kNoMemory;
    char* buffer = bytes.Buffer();
    DWORD done = 0;
    while (done < total) {
        DWORD got = 0;
        if (!ReadFile(file, buffer + done, total - done, &got, nullptr)) {
            done = 0;  // a failed read leaves no text: the file is then no HTML
            break;
        }
        if (got == 0) break;  // the file became shorter
        done += got;
    }
    buffer[done] = '\0';
    return TemplateRead::kRead;
}

}  // namespace

WideString TemplateFilePath() {
    WideString path = ProgramFolder();
    if (path.IsEmpty()) return path;
    // The folder keeps its backslash; the file name brings its own.
    path.Truncate(path.Length() - 1);
    path.Append(kTemplateFileName);
    return path;
}

LauncherTemplate ReadLauncherTemplate(const WideString& templatePath) {
    LauncherTemplate result{BuiltInLauncherTemplate(), nullptr, templatePath};
    if (templatePath.IsEmpty()) return result;
    // A folder of that name fails to open here, as does a missing file.
    HANDLE file = CreateFileW(AsWide(templatePath.Text()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return result;
    NarrowString bytes;
    const TemplateRead read = ReadTemplateBytes(file, bytes);
    CloseHandle(file);
    switch (read) {
        case TemplateRead::kUnreadable:
            return result;
        case TemplateRead::kNoMemory:
            result.problem = kTemplateNoMemoryMessage;
            return result;
        case TemplateRead::kRead:
            break;
    }
    switch (CheckTemplateBytes(bytes)) {
        case TemplateVerdict::kNotHtml:
            result.problem = kTemplateNotHtmlMessage;
            return result;
        case TemplateVerdict::kNoPlaceholder:
            result.problem = kTemplateNoPlaceholderMessage;
            return result;
        case TemplateVerdict::kAccepted:
            break;
    }
    WideString external;
    external.AssignAnsi(bytes.Text());
    // Without memory for the converted text the built-in template still makes a launcher.
    if (external.IsEmpty()) {
        result.problem = kTemplateNoMemoryMessage;
        return result;
    }
    result.text = external;
    return result;
}

void ReportLauncherTemplate(HWND owner, const LauncherTemplate& launcherTemplate) {
    if (!launcherTemplate.problem) return;
    WideString message;
    message.Format(launcherTemplate.problem, launcherTemplate.path.Text());
    ShowMessage(owner, message.Text());
}
