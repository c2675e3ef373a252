// The launcher template: the built-in HTML Application text, the check of a template
// file's bytes, and the filling in of its four placeholders.
#pragma once
#include "foundation/narrow_string.h"
#include "foundation/side_by_side.h"
#include "foundation/wide_string.h"

// The built-in template, kept in parts under launcher/page/ (ASCII, each line ended by CR LF)
// and joined into the page and turned into this constant by the build. Its page script is JScript
// alone and runs the batch in short turns of the page, up to one encode per processor, each
// through a hidden helper script; a source is deleted through Scripting.FileSystemObject,
// and the report is built from text nodes.
extern const char kBuiltInLauncherTemplate[];
// The built-in template as the text of a run (taken through the ANSI code page).
WideString BuiltInLauncherTemplate();

// The name of the template file beside the program, with its leading backslash.
extern const char16_t kTemplateFileName[];

enum class TemplateVerdict { kAccepted, kNotHtml, kNoPlaceholder };
// A template file's bytes, up to their first NUL: the letters html in any case somewhere,
// and at least one of %lame_exe%, %arg_comm%, %callRuns% exactly.
TemplateVerdict CheckTemplateBytes(const NarrowString& bytes);

// Messages about a template file, formatted with the template's full path for %s.
extern const char16_t kTemplateNotHtmlMessage[];
extern const char16_t kTemplateNoPlaceholderMessage[];
extern const char16_t kTemplateNoMemoryMessage[];

// Replaces every %delOrig%, %lame_exe%, %arg_comm% and %callRuns% of the template's own
// text; inserted values are never searched again. The path and the arguments are escaped
// for the script string literals they stand in; the callRun lines come escaped already.
WideString FillLauncherTemplate(const WideString& templ, bool deleteOriginals,
                                const WideString& lamePath, const WideString& commonArguments,
                                const WideString& callRuns);

// The same filled text as UTF-8 bytes, made without the text itself: a launcher's text is
// megabytes, and each block of that size is paid for in page faults. Empty when memory ran
// out or the bytes would pass 2 GB. sideBySide: as JoinAsUtf8 takes it.
NarrowString FillLauncherTemplateAsUtf8(const WideString& templ, bool deleteOriginals,
                                        const WideString& lamePath,
                                        const WideString& commonArguments,
                                        const WideString& callRuns,
                                        SideBySide sideBySide = nullptr);
