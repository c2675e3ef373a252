#include "launcher/launcher_template.h"

#include "launcher/script_literal.h"

const char kBuiltInLauncherTemplate[] =
    "<html>\r\n"
    "<head>\r\n"
    "\t<title>Call Lame</title>\r\n"
    "\t<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/>\r\n"
    "</head>\r\n"
    "<body onload=\"run()\">\r\n"
    "\t<h1>Call Lame</h1>\r\n"
    "\t<p><input type=\"checkbox\" id=\"CmdView\"> Cmd.exe sichtbar\r\n"
    "\t<p><input type=\"checkbox\" id=\"Stopped\"> Stop\r\n"
    "\t<p id=\"report\"></p>\r\n"
    "</body>\r\n"
    "<script>\r\n"
    "function run ()\r\n"
    "{\r\n"
    "%callRuns%\tsay (\"Done.\");\r\n"
    "}\r\n"
    "var runCount = 0;\r\n"
    "var rep = document.getElementById(\"report\");\r\n"
    "var lame_exe = \"\\\"%lame_exe%\\\"\";\r\n"
    "var arg_comm = \"%arg_comm%\";\r\n"
    "var shell = new ActiveXObject (\"WScript.Shell\");\r\n"
    "var percent = percentReference ();\r\n"
    "function callRun (arg)\r\n"
    "{\r\n"
    "\tif (document.getElementById (\"Stopped\").checked)\r\n"
    "\t\treturn;\r\n"
    "\tsay (\"Run \" + (++runCount) + \": \" + arg.replace (/.+\\\\([^\\\\]+)\"$/, \"$1...\"));\r\n"
    "\tvar command = lame_exe + arg_comm + arg;\r\n"
    "\tvar err = shell.Run (command.replace (/%/g, percent),\r\n"
    "\t\tdocument.getElementById (\"CmdView\").checked ? 4 : 0, true);\r\n"
    "\tsay (err ? \" error = \" + err + command : \"OK\");\r\n"
    "\tif (!err && %delOrig%)\r\n"
    "\t\tdeleteSource (/\"([^\"]+)\" \"[^\"]+\"$/.exec (arg)[1]);\r\n"
    "\trep.appendChild (document.createElement (\"br\"));\r\n"
    "}\r\n"
    "// Adds text to the report as text: nothing in it is ever read as markup.\r\n"
    "function say (text)\r\n"
    "{\r\n"
    "\trep.appendChild (document.createTextNode (text));\r\n"
    "}\r\n"
    "// On Windows, Run replaces %NAME% of every defined variable in a command: so each \"%\"\r\n"
    "// is written as a reference to a variable of this process that holds \"%\". Where none\r\n"
    "// can be set (Wine, whose Run replaces nothing), \"%\" stays as it is.\r\n"
    "function percentReference ()\r\n"
    "{\r\n"
    "\tvar name = \"TONSCHLEUDER_PROZENT\";\r\n"
    "\ttry {\r\n"
    "\t\tshell.Environment (\"Process\") (name) = \"%\";\r\n"
    "\t} catch (e) {\r\n"
    "\t\treturn \"%\";\r\n"
    "\t}\r\n"
    "\tvar reference = \"%\" + name + \"%\";\r\n"
    "\treturn shell.ExpandEnvironmentStrings (reference) == \"%\" ? reference : \"%\";\r\n"
    "}\r\n"
    "// Deletes the source without force, so a read-only file stays; a source still there\r\n"
    "// afterwards is said in the report.\r\n"
    "function deleteSource (source)\r\n"
    "{\r\n"
    "\tvar files = null;\r\n"
    "\ttry {\r\n"
    "\t\tfiles = new ActiveXObject (\"Scripting.FileSystemObject\");\r\n"
    "\t\tfiles.DeleteFile (source, false);\r\n"
    "\t} catch (e) {\r\n"
    "\t}\r\n"
    "\tif (!files || files.FileExists (source))\r\n"
    "\t\tsay (\", source not deleted: \" + source);\r\n"
    "}\r\n"
    "</script>\r\n"
    "</html>\r\n";

const char16_t kTemplateFileName[] = u"\\Tonschleuder-Vorlage.htm";

const char16_t kTemplateNotHtmlMessage[] = u"Die Vorlagendatei %s\r\n\r\n ist keine HTML-Datei!";
// Format writes a '%' that starts no directive of its own as it stands.
const char16_t kTemplateNoPlaceholderMessage[] =
    u"Der Vorlagendatei %s\r\n\r\n fehlt mindestens einer der Platzhalter %lame_exe%, "
    u"%arg_comm% oder %callRuns%!";
const char16_t kTemplateNoMemoryMessage[] =
    u"Die Vorlagendatei %s\r\n\r\n wurde wegen Speichermangel nicht geöffnet!";

WideString BuiltInLauncherTemplate() {
    WideString text;
    text.AssignAnsi(kBuiltInLauncherTemplate);
    return text;
}

TemplateVerdict CheckTemplateBytes(const NarrowString& bytes) {
    if (bytes.FindNoCase("html") < 0) return TemplateVerdict::kNotHtml;
    static const char* const kTested[] = {"%lame_exe%", "%arg_comm%", "%callRuns%"};
    for (const char* placeholder : kTested)
        if (bytes.Find(placeholder) >= 0) return TemplateVerdict::kAccepted;
    return TemplateVerdict::kNoPlaceholder;
}

namespace {
struct Placeholder {
    const char16_t* name;
    uint32_t nameLength;
    const char16_t* value;
    uint32_t valueLength;
};

// The placeholder that starts at this point of the template, or null.
const Placeholder* PlaceholderAt(const char16_t* at, const Placeholder* placeholders, int count) {
    for (int i = 0; i < count; ++i) {
        const Placeholder& candidate = placeholders[i];
        uint32_t matched = 0;
        while (matched < candidate.nameLength && at[matched] == candidate.name[matched]) ++matched;
        if (matched == candidate.nameLength) return &candidate;
    }
    return nullptr;
}

// One left-to-right walk over the template's own text: a value that happens to hold a
// placeholder's name (a "+" text with %callRuns%, say) is inserted as it is and never
// filled in again, which would paste the whole block into a script literal.
WideString SubstitutePlaceholders(const WideString& templ, const Placeholder* placeholders,
                                  int count) {
    const char16_t* text = templ.Text();
    uint64_t length = 0;
    bool anyFound = false;
    for (const char16_t* at = text; *at;) {
        const Placeholder* found = *at == u'%' ? PlaceholderAt(at, placeholders, count) : nullptr;
        anyFound = anyFound || found;
        length += found ? found->valueLength : 1;
        at += found ? found->nameLength : 1;
    }
    WideString result;
    if (!anyFound) return result.Assign(templ);
    if (length >= UINT32_MAX || !result.PrepareBuffer(static_cast<uint32_t>(length))) return result;
    char16_t* out = result.Buffer();
    for (const char16_t* at = text; *at;) {
        const Placeholder* found = *at == u'%' ? PlaceholderAt(at, placeholders, count) : nullptr;
        if (!found) {
            *out++ = *at++;
            continue;
        }
        CopyTextN(out, found->value, found->valueLength);
        out += found->valueLength;
        at += found->nameLength;
    }
    *out = 0;
    return result;
}
}  // namespace

WideString FillLauncherTemplate(const WideString& templ, bool deleteOriginals,
                                const WideString& lamePath, const WideString& commonArguments,
                                const WideString& callRuns) {
    // Both values stand inside double-quoted script literals.
    const WideString lameLiteral = EscapeScriptBreakers(lamePath.ReplaceAll(u"\\", u"\\\\"));
    const WideString argumentsLiteral =
        EscapeScriptBreakers(commonArguments.ReplaceAll(u"\\", u"\\\\").ReplaceAll(u"\"", u"\\\""));
    const char16_t* deleteFlag = deleteOriginals ? u"1" : u"0";
    const Placeholder placeholders[] = {
        {u"%delOrig%", 9, deleteFlag, 1},
        {u"%lame_exe%", 10, lameLiteral.Text(), lameLiteral.Length()},
        {u"%arg_comm%", 10, argumentsLiteral.Text(), argumentsLiteral.Length()},
        {u"%callRuns%", 10, callRuns.Text(), callRuns.Length()},
    };
    return SubstitutePlaceholders(templ, placeholders, 4);
}
