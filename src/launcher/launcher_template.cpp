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
    "%callRuns%\trep.innerHTML = rep.innerHTML + \"Done.\";\r\n"
    "}\r\n"
    "var runCount = 0;\r\n"
    "var rep = document.getElementById(\"report\");\r\n"
    "var lame_exe = \"\\\"%lame_exe%\\\"\";\r\n"
    "var arg_comm = \"%arg_comm%\";\r\n"
    "function callRun (arg)\r\n"
    "{\r\n"
    "\tif (document.getElementById (\"Stopped\").checked)\r\n"
    "\t\treturn;\r\n"
    "\trep.innerHTML = rep.innerHTML + \"Run \" + (++runCount) + \": \"\r\n"
    "\t\t+ arg.replace (/.+\\\\([^\\\\]+)\"$/, \"$1...\");\r\n"
    "\tvar err = vbRun (lame_exe + arg_comm + arg, document.getElementById (\"CmdView\").checked"
    " ? 4 : 0);\r\n"
    "\trep.innerHTML = rep.innerHTML + (err ? \" error = \" + err + lame_exe + arg_comm + arg :"
    " \"OK\") + \"<br/>\\r\\n\";\r\n"
    "\tif (!err && %delOrig%)\r\n"
    "\t\tvbRun (arg.replace (/.+(\"[^\"]+\") \"[^\"]+\"$/, \"cmd.exe /d /c del $1\"), 0);\r\n"
    "}\r\n"
    "</script>\r\n"
    "<script type=\"text/vbscript\">\r\n"
    "Set wshShell = CreateObject(\"WScript.Shell\")\r\n"
    "function vbRun (arg, opt)\r\n"
    "\tvbRun = wshShell.Run (arg, opt, True)\r\n"
    "end function\r\n"
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

WideString FillLauncherTemplate(const WideString& templ, bool deleteOriginals,
                                const WideString& lamePath, const WideString& commonArguments,
                                const WideString& callRuns) {
    // Both values stand inside double-quoted script literals.
    const WideString lameLiteral = EscapeScriptBreakers(lamePath.ReplaceAll(u"\\", u"\\\\"));
    const WideString argumentsLiteral =
        EscapeScriptBreakers(commonArguments.ReplaceAll(u"\\", u"\\\\").ReplaceAll(u"\"", u"\\\""));
    return templ.ReplaceAll(u"%delOrig%", deleteOriginals ? u"1" : u"0")
        .ReplaceAll(u"%lame_exe%", lameLiteral.Text())
        .ReplaceAll(u"%arg_comm%", argumentsLiteral.Text())
        .ReplaceAll(u"%callRuns%", callRuns.Text());
}
