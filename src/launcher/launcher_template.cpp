#include "launcher/launcher_template.h"

#include <vector>

#include "foundation/utf8.h"

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
    "\t<p id=\"progress\"></p>\r\n"
    "\t<p id=\"report\"></p>\r\n"
    "</body>\r\n"
    "<script>\r\n"
    "function run ()\r\n"
    "{\r\n"
    "%callRuns%\tstartBatch ();\r\n"
    "}\r\n"
    "var rep = document.getElementById (\"report\");\r\n"
    "var lame_exe = \"\\\"%lame_exe%\\\"\";\r\n"
    "var arg_comm = \"%arg_comm%\";\r\n"
    "var deleteOriginals = %delOrig%;\r\n"
    "var shell = new ActiveXObject (\"WScript.Shell\");\r\n"
    "var files = fileSystem ();\r\n"
    "var percent = percentReference ();\r\n"
    "var tracks = [];\r\n"
    "var batch = null;\r\n"
    "// Each callRun line queues its track. The batch then runs in short turns of the page\r\n"
    "// (setTimeout), so that the window repaints and takes a click on \"Stop\" while encoders\r\n"
    "// work: up to one encode per processor, each run by a hidden helper script.\r\n"
    "function callRun (arg)\r\n"
    "{\r\n"
    "\ttracks.push (arg);\r\n"
    "}\r\n"
    "function startBatch ()\r\n"
    "{\r\n"
    "\tbatch = {next: 0, done: 0, running: [], stopped: false, answered: false,\r\n"
    "\t\tslots: Math.max (1, Math.min (processorCount (), tracks.length)),\r\n"
    "\t\tfolder: helperFolder (), started: new Date ().getTime (),\r\n"
    "\t\tprogress: document.createTextNode (\"\")};\r\n"
    "\tbatch.inPage = !batch.folder;\r\n"
    "\tdocument.getElementById (\"progress\").appendChild (batch.progress);\r\n"
    "\tif (batch.inPage)\r\n"
    "\t\tnote (\"No helper can run: one encode at a time in this window.\");\r\n"
    "\tshowProgress ();\r\n"
    "\tsetTimeout (turn, 0);\r\n"
    "}\r\n"
    "// One turn: take the finished encodes, start new ones unless \"Stop\" is checked, show "
    "the\r\n"
    "// progress, and come back soon while anything runs or waits.\r\n"
    "function turn ()\r\n"
    "{\r\n"
    "\tif (document.getElementById (\"Stopped\").checked)\r\n"
    "\t\tbatch.stopped = true;\r\n"
    "\tvar done = batch.done;\r\n"
    "\tcollectFinished ();\r\n"
    "\t// In the page, one encode per turn.\r\n"
    "\tif (!batch.stopped && !(batch.inPage && batch.done > done))\r\n"
    "\t\tstartEncodes ();\r\n"
    "\tshowProgress ();\r\n"
    "\tif (batch.running.length > 0)\r\n"
    "\t\tsetTimeout (turn, 200);\r\n"
    "\telse if (!batch.stopped && batch.next < tracks.length)\r\n"
    "\t\tsetTimeout (turn, 0);\r\n"
    "\telse\r\n"
    "\t\tfinish (0);\r\n"
    "}\r\n"
    "function startEncodes ()\r\n"
    "{\r\n"
    "\tif (batch.inPage) {\r\n"
    "\t\tif (batch.next < tracks.length)\r\n"
    "\t\t\trunInPage (startTrack ());\r\n"
    "\t\treturn;\r\n"
    "\t}\r\n"
    "\t// One helper until the first has answered: where none can start, only one track waits.\r\n"
    "\tvar slots = batch.answered ? batch.slots : 1;\r\n"
    "\twhile (!batch.inPage && batch.running.length < slots && batch.next < tracks.length)\r\n"
    "\t\tstartHelper (startTrack ());\r\n"
    "}\r\n"
    "// Counts the next track as started and gives it its line in the report.\r\n"
    "function startTrack ()\r\n"
    "{\r\n"
    "\tvar arg = tracks[batch.next++];\r\n"
    "\tvar track = {arg: arg, command: lame_exe + arg_comm + arg,\r\n"
    "\t\tline: document.createElement (\"span\")};\r\n"
    "\trep.appendChild (track.line);\r\n"
    "\trep.appendChild (document.createElement (\"br\"));\r\n"
    "\tsay (track.line, \"Run \" + batch.next + \": \" + arg.replace (/.+\\\\([^\\\\]+)\"$/, "
    "\"$1...\"));\r\n"
    "\treturn track;\r\n"
    "}\r\n"
    "function windowStyle ()\r\n"
    "{\r\n"
    "\treturn document.getElementById (\"CmdView\").checked ? 4 : 0;\r\n"
    "}\r\n"
    "// Runs a command and waits for its end: its exit code, or the error number where it "
    "cannot\r\n"
    "// be started.\r\n"
    "function runCommand (command, style)\r\n"
    "{\r\n"
    "\ttry {\r\n"
    "\t\treturn shell.Run (command.replace (/%/g, percent), style, true);\r\n"
    "\t} catch (e) {\r\n"
    "\t\treturn e.number;\r\n"
    "\t}\r\n"
    "}\r\n"
    "function runInPage (track)\r\n"
    "{\r\n"
    "\tfinishTrack (track, runCommand (track.command, windowStyle ()));\r\n"
    "}\r\n"
    "// Leaves the command in the batch's folder and starts a helper for it, hidden.\r\n"
    "function startHelper (track)\r\n"
    "{\r\n"
    "\ttrack.job = batch.folder + \"\\\\\" + batch.next;\r\n"
    "\ttrack.since = new Date ().getTime ();\r\n"
    "\ttry {\r\n"
    "\t\tvar job = files.CreateTextFile (track.job + \".cmd\", true, true);\r\n"
    "\t\tjob.Write (track.command.replace (/%/g, percent));\r\n"
    "\t\tjob.Close ();\r\n"
    "\t\tvar helper = \"wscript.exe //B //NoLogo \\\"\" + batch.folder + \"\\\\helper.js\\\" "
    "\\\"\"\r\n"
    "\t\t\t+ track.job + \"\\\" \" + windowStyle ();\r\n"
    "\t\tshell.Run (helper.replace (/%/g, percent), 0, false);\r\n"
    "\t} catch (e) {\r\n"
    "\t\t// No helper was started: helperResult runs the track here at once.\r\n"
    "\t\ttrack.since = 0;\r\n"
    "\t}\r\n"
    "\tbatch.running.push (track);\r\n"
    "}\r\n"
    "function collectFinished ()\r\n"
    "{\r\n"
    "\tvar running = batch.running;\r\n"
    "\tbatch.running = [];\r\n"
    "\tfor (var i = 0; i < running.length; ++i) {\r\n"
    "\t\tvar code = helperResult (running[i]);\r\n"
    "\t\tif (code === null)\r\n"
    "\t\t\tbatch.running.push (running[i]);\r\n"
    "\t\telse\r\n"
    "\t\t\tfinishTrack (running[i], code);\r\n"
    "\t}\r\n"
    "}\r\n"
    "// The exit code a helper left, or null while its encode runs. A job that no helper has\r\n"
    "// claimed within ten seconds is taken back and run here, and so are all later tracks.\r\n"
    "function helperResult (track)\r\n"
    "{\r\n"
    "\ttry {\r\n"
    "\t\tif (files.FileExists (track.job + \".end\")) {\r\n"
    "\t\t\tbatch.answered = true;\r\n"
    "\t\t\tvar result = files.OpenTextFile (track.job + \".end\", 1);\r\n"
    "\t\t\tvar code = parseInt (result.ReadAll (), 10);\r\n"
    "\t\t\tresult.Close ();\r\n"
    "\t\t\treturn isNaN (code) ? -1 : code;\r\n"
    "\t\t}\r\n"
    "\t\tif (files.FileExists (track.job + \".run\")) {\r\n"
    "\t\t\tbatch.answered = true;\r\n"
    "\t\t\treturn null;\r\n"
    "\t\t}\r\n"
    "\t\tif (track.since && new Date ().getTime () - track.since < 10000)\r\n"
    "\t\t\treturn null;\r\n"
    "\t\t// Fails when a helper has claimed the job just now.\r\n"
    "\t\tif (track.since)\r\n"
    "\t\t\tfiles.MoveFile (track.job + \".cmd\", track.job + \".page\");\r\n"
    "\t} catch (e) {\r\n"
    "\t\treturn null;\r\n"
    "\t}\r\n"
    "\tif (!batch.inPage) {\r\n"
    "\t\tbatch.inPage = true;\r\n"
    "\t\tnote (\"No helper answered: one encode at a time in this window.\");\r\n"
    "\t}\r\n"
    "\treturn runCommand (track.command, windowStyle ());\r\n"
    "}\r\n"
    "function finishTrack (track, code)\r\n"
    "{\r\n"
    "\tsay (track.line, code ? \" error = \" + code + track.command : \"OK\");\r\n"
    "\tif (!code && deleteOriginals)\r\n"
    "\t\tdeleteSource (track);\r\n"
    "\t++batch.done;\r\n"
    "}\r\n"
    "// Removes the batch's folder, then ends the report. A helper that has just left its "
    "result\r\n"
    "// may still hold its script for a moment, so the removal is tried again for a few "
    "seconds.\r\n"
    "function finish (tries)\r\n"
    "{\r\n"
    "\tif (batch.folder && files.FolderExists (batch.folder)) {\r\n"
    "\t\ttry {\r\n"
    "\t\t\tfiles.DeleteFolder (batch.folder, true);\r\n"
    "\t\t} catch (e) {\r\n"
    "\t\t}\r\n"
    "\t\tif (files.FolderExists (batch.folder) && tries < 25) {\r\n"
    "\t\t\tsetTimeout (function () { finish (tries + 1); }, 200);\r\n"
    "\t\t\treturn;\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "\tshowProgress ();\r\n"
    "\tvar notRun = tracks.length - batch.next;\r\n"
    "\tsay (rep, notRun ? \"Stopped: \" + notRun + \" of \" + tracks.length + \" tracks not run.\" "
    ": \"Done.\");\r\n"
    "}\r\n"
    "function showProgress ()\r\n"
    "{\r\n"
    "\tvar seconds = Math.floor ((new Date ().getTime () - batch.started) / 1000);\r\n"
    "\tbatch.progress.nodeValue = batch.done + \" of \" + tracks.length + \" done, \"\r\n"
    "\t\t+ batch.running.length + \" running, \" + Math.floor (seconds / 60) + \":\"\r\n"
    "\t\t+ (seconds % 60 < 10 ? \"0\" : \"\") + seconds % 60;\r\n"
    "}\r\n"
    "// Adds text to an element of the report as text: nothing in it is ever read as markup.\r\n"
    "function say (element, text)\r\n"
    "{\r\n"
    "\telement.appendChild (document.createTextNode (text));\r\n"
    "}\r\n"
    "function note (text)\r\n"
    "{\r\n"
    "\tsay (rep, text);\r\n"
    "\trep.appendChild (document.createElement (\"br\"));\r\n"
    "}\r\n"
    "function processorCount ()\r\n"
    "{\r\n"
    "\tvar count = parseInt (shell.ExpandEnvironmentStrings (\"%NUMBER_OF_PROCESSORS%\"), 10);\r\n"
    "\treturn count > 0 ? count : 1;\r\n"
    "}\r\n"
    "function fileSystem ()\r\n"
    "{\r\n"
    "\ttry {\r\n"
    "\t\treturn new ActiveXObject (\"Scripting.FileSystemObject\");\r\n"
    "\t} catch (e) {\r\n"
    "\t\treturn null;\r\n"
    "\t}\r\n"
    "}\r\n"
    "// A folder of the batch's own under the temporary folder, holding the helper script; null\r\n"
    "// where no helper can run: no file object, or Windows Script Host switched off.\r\n"
    "function helperFolder ()\r\n"
    "{\r\n"
    "\tif (!files || scriptHostDisabled ())\r\n"
    "\t\treturn null;\r\n"
    "\tvar folder = null;\r\n"
    "\ttry {\r\n"
    "\t\tfolder = files.GetSpecialFolder (2).Path + \"\\\\Tonschleuder-\"\r\n"
    "\t\t\t+ new Date ().getTime () + \"-\" + Math.floor (Math.random () * 1000000);\r\n"
    "\t\tfiles.CreateFolder (folder);\r\n"
    "\t\tvar script = files.CreateTextFile (folder + \"\\\\helper.js\", true, false);\r\n"
    "\t\tscript.Write (\"(\" + helper.toString () + \") ();\\r\\n\");\r\n"
    "\t\tscript.Close ();\r\n"
    "\t\treturn folder;\r\n"
    "\t} catch (e) {\r\n"
    "\t\ttry {\r\n"
    "\t\t\tfiles.DeleteFolder (folder, true);\r\n"
    "\t\t} catch (e) {\r\n"
    "\t\t}\r\n"
    "\t\treturn null;\r\n"
    "\t}\r\n"
    "}\r\n"
    "function scriptHostDisabled ()\r\n"
    "{\r\n"
    "\tvar roots = [\"HKCU\", \"HKLM\"];\r\n"
    "\tfor (var i = 0; i < roots.length; ++i) {\r\n"
    "\t\ttry {\r\n"
    "\t\t\tif (String (shell.RegRead (roots[i]\r\n"
    "\t\t\t\t\t+ \"\\\\Software\\\\Microsoft\\\\Windows Script Host\\\\Settings\\\\Enabled\")) == "
    "\"0\")\r\n"
    "\t\t\t\treturn true;\r\n"
    "\t\t} catch (e) {\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "\treturn false;\r\n"
    "}\r\n"
    "// The helper, a script of its own for wscript.exe: it claims its job (one the page has\r\n"
    "// taken back is gone), runs the command, and leaves the exit code under the name the page\r\n"
    "// looks for only once it is complete.\r\n"
    "function helper ()\r\n"
    "{\r\n"
    "\tvar shell = new ActiveXObject (\"WScript.Shell\");\r\n"
    "\tvar files = new ActiveXObject (\"Scripting.FileSystemObject\");\r\n"
    "\tvar job = WScript.Arguments (0);\r\n"
    "\tfiles.MoveFile (job + \".cmd\", job + \".run\");\r\n"
    "\tvar input = files.OpenTextFile (job + \".run\", 1, false, -1);\r\n"
    "\tvar command = input.ReadAll ();\r\n"
    "\tinput.Close ();\r\n"
    "\tvar code;\r\n"
    "\ttry {\r\n"
    "\t\tcode = shell.Run (command, parseInt (WScript.Arguments (1), 10), true);\r\n"
    "\t} catch (e) {\r\n"
    "\t\tcode = e.number;\r\n"
    "\t}\r\n"
    "\tvar result = files.CreateTextFile (job + \".part\", true, false);\r\n"
    "\tresult.Write (String (code));\r\n"
    "\tresult.Close ();\r\n"
    "\tfiles.MoveFile (job + \".part\", job + \".end\");\r\n"
    "}\r\n"
    "// On Windows, Run replaces %NAME% of every defined variable in a command: so each \"%\"\r\n"
    "// is written as a reference to a variable of this process that holds \"%\". Where none\r\n"
    "// can be set (Wine, whose Run replaces nothing), \"%\" stays as it is. Helpers inherit "
    "it.\r\n"
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
    "// Deletes the source without force, so a read-only file stays, and only once the encode\r\n"
    "// has left an output that is not empty; a source still there afterwards is said in the\r\n"
    "// report.\r\n"
    "function deleteSource (track)\r\n"
    "{\r\n"
    "\tvar names = /\"([^\"]+)\" \"([^\"]+)\"$/.exec (track.arg);\r\n"
    "\ttry {\r\n"
    "\t\tif (files.GetFile (names[2]).Size > 0)\r\n"
    "\t\t\tfiles.DeleteFile (names[1], false);\r\n"
    "\t} catch (e) {\r\n"
    "\t}\r\n"
    "\tif (!files || files.FileExists (names[1]))\r\n"
    "\t\tsay (track.line, \", source not deleted: \" + names[1]);\r\n"
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

// One left-to-right walk over the template's own text, cutting it into its own pieces and
// the values that replace its placeholders: a value that happens to hold a placeholder's
// name (a "+" text with %callRuns%, say) is inserted as it is and never filled in again,
// which would paste the whole block into a script literal. Empty when no placeholder is
// found.
std::vector<TextPiece> FilledPieces(const WideString& templ, const Placeholder* placeholders,
                                    int count) {
    std::vector<TextPiece> pieces;
    const char16_t* text = templ.Text();
    const char16_t* pieceStart = text;
    for (const char16_t* at = text; *at;) {
        const Placeholder* found = *at == u'%' ? PlaceholderAt(at, placeholders, count) : nullptr;
        if (!found) {
            ++at;
            continue;
        }
        pieces.push_back({pieceStart, uint32_t(at - pieceStart)});
        pieces.push_back({found->value, found->valueLength});
        at += found->nameLength;
        pieceStart = at;
    }
    if (!pieces.empty()) pieces.push_back({pieceStart, TextLength(pieceStart)});
    return pieces;
}

// The four placeholders with the values of a run. Both the path and the arguments stand
// inside double-quoted script literals.
struct FilledValues {
    FilledValues(bool deleteOriginals, const WideString& lamePath,
                 const WideString& commonArguments, const WideString& callRuns)
        : lameLiteral(EscapeScriptBreakers(lamePath.ReplaceAll(u"\\", u"\\\\"))),
          argumentsLiteral(EscapeScriptBreakers(
              commonArguments.ReplaceAll(u"\\", u"\\\\").ReplaceAll(u"\"", u"\\\""))),
          placeholders{
              {u"%delOrig%", 9, deleteOriginals ? u"1" : u"0", 1},
              {u"%lame_exe%", 10, lameLiteral.Text(), lameLiteral.Length()},
              {u"%arg_comm%", 10, argumentsLiteral.Text(), argumentsLiteral.Length()},
              {u"%callRuns%", 10, callRuns.Text(), callRuns.Length()},
          } {}
    FilledValues(const FilledValues&) = delete;
    FilledValues& operator=(const FilledValues&) = delete;

    const WideString lameLiteral;
    const WideString argumentsLiteral;
    const Placeholder placeholders[4];
};
}  // namespace

WideString FillLauncherTemplate(const WideString& templ, bool deleteOriginals,
                                const WideString& lamePath, const WideString& commonArguments,
                                const WideString& callRuns) {
    const FilledValues values(deleteOriginals, lamePath, commonArguments, callRuns);
    const std::vector<TextPiece> pieces = FilledPieces(templ, values.placeholders, 4);
    WideString result;
    if (pieces.empty()) return result.Assign(templ);
    uint64_t length = 0;
    for (const TextPiece& piece : pieces) length += piece.length;
    if (length >= UINT32_MAX || !result.PrepareBuffer(static_cast<uint32_t>(length))) return result;
    char16_t* out = result.Buffer();
    for (const TextPiece& piece : pieces) {
        CopyTextN(out, piece.text, piece.length);
        out += piece.length;
    }
    *out = 0;
    return result;
}

NarrowString FillLauncherTemplateAsUtf8(const WideString& templ, bool deleteOriginals,
                                        const WideString& lamePath,
                                        const WideString& commonArguments,
                                        const WideString& callRuns) {
    const FilledValues values(deleteOriginals, lamePath, commonArguments, callRuns);
    std::vector<TextPiece> pieces = FilledPieces(templ, values.placeholders, 4);
    if (pieces.empty()) pieces.push_back({templ.Text(), templ.Length()});
    return JoinAsUtf8(pieces.data(), uint32_t(pieces.size()));
}
