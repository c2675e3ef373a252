// Stand-ins for what the HTML Application host gives a launcher's page script. The test puts
// the launcher's script after this text and harnessRunPage () after that. No VBScript
// stand-in is defined: the launcher must run on JScript alone.
//
// Turns: the host runs the page as an HTML Application does. The onload handler (run) is one
// turn, each timer callback (setTimeout, setInterval) another, run no earlier than it is due;
// between turns the host waits by running a small program that sleeps (Wine's WScript.Sleep
// is not implemented). A click reaches the page only between two turns.
//
// document: getElementById gives the two check boxes, the progress and the report paragraph
// (and an element for any other id); elements record the nodes appended to them. The stand-ins have no innerHTML, innerText or
// textContent, so text put there never reaches the report.
//
// WScript.Shell, in one of two hosts (TS_HOST):
//   wine     Wine's own object: Run passes a command on as it stands, and Wine's JScript
//            raises "Illegal assignment" where a script writes a parameterised property
//            (shell.Environment ("Process") (name) = value).
//   windows  a model of Windows' object: Run first replaces %NAME% as Windows'
//            ExpandEnvironmentStrings does (harnessExpand) and hands the result to Wine's
//            Run, its arguments as msvcrt.dll splits them on Windows (harnessMsvcrtSplit).
//            Its process environment is Wine's plus what the script wrote into it.
//            Wine's JScript cannot run that write, so the test turns the launcher's one
//            statement of it (kEnvironmentWrite) into a call of the model,
//            shell.Environment ("Process").put (name, value), before the script runs.
//            Its Scripting.FileSystemObject is not long-path aware: no path of 260 units or
//            more (in either form), no new folder of 248 or more (HarnessFiles.refuses).
// A helper script the page starts without waiting (wscript.exe with a .js file) runs with
// this same host in front of it: its WScript.Shell is the same model, it inherits the
// variables the page wrote, and it records its runs in a file of the test's work folder.
// Settings, from the environment:
//   TS_CMD_VIEW=1                the check box "Cmd.exe sichtbar" is checked
//   TS_CLICK_STOP_AFTER=n        the user checks "Stop" at the first turn boundary after n
//                                runs have reported ("OK", " error..." or " not run...");
//                                the check box's onclick handler runs then
//   TS_CLICK_STOP_RUNNING=1      the same, at the first turn boundary at which the progress
//                                shows an encode running
//   TS_PAUSE_AFTER=n             the user checks "Paused" (a template's own check box) at the
//                                first turn boundary after n runs have reported, and unchecks
//                                it TS_PAUSE_TURNS turns later (default 10)
//   TS_CLOSE_AFTER=n             the user closes the window at the first turn boundary after
//                                n runs have reported: no further turn runs, and cscript
//                                ends (its helpers go on)
//   TS_ENVIRONMENT_WRITE_FAILS=1 in the model of Windows, the write of a process variable
//                                throws, as on Windows 11 24H2's JScript engine
//   TS_SCRIPT_HOST_OFF=1         the registry says Windows Script Host is switched off
//   TS_HELPERS_NEVER_ANSWER=1    a helper the page starts never runs
//   TS_RENAME_HELD=pattern       a stand-in for a virus scanner, which opens a file just
//                                written for a moment: the first time a script renames a
//                                file whose name matches this regular expression, the file is
//                                opened (really, without sharing its deletion) and held for
//                                TS_RENAME_HELD_MS milliseconds (default 300), so that every
//                                rename of it fails meanwhile, in the page and its helpers
//   TS_HARNESS_JS, TS_HARNESS_WORK, TS_HARNESS_SLEEP, TS_HARNESS_SLEEP_URL
//                                this file, the work folder, the program that sleeps, and
//                                the address of that program serving waits, if it does
var harnessNativeObject = ActiveXObject;
var harnessShell = new harnessNativeObject("WScript.Shell");
var harnessFiles = new harnessNativeObject("Scripting.FileSystemObject");

// The value of a variable of this process's environment (letter case not minded), or null.
function harnessVariable(name) {
    var reference = "%" + name + "%";
    var value = harnessShell.ExpandEnvironmentStrings(reference);
    // Wine's ExpandEnvironmentStrings keeps the terminating NUL in the string it returns.
    var end = value.indexOf(String.fromCharCode(0));
    if (end >= 0)
        value = value.substring(0, end);
    return name == "" || value == reference ? null : value;
}

function harnessSetting(name, fallback) {
    var value = harnessVariable(name);
    return value === null ? fallback : value;
}

var harnessWindowsHost = harnessSetting("TS_HOST", "wine") == "windows";
var harnessClickAfter = parseInt(harnessSetting("TS_CLICK_STOP_AFTER", "-1"), 10);
var harnessClickRunning = harnessSetting("TS_CLICK_STOP_RUNNING", "0") == "1";
var harnessCloseAfter = parseInt(harnessSetting("TS_CLOSE_AFTER", "-1"), 10);
var harnessPauseAfter = parseInt(harnessSetting("TS_PAUSE_AFTER", "-1"), 10);
var harnessPauseTurns = parseInt(harnessSetting("TS_PAUSE_TURNS", "10"), 10);
var harnessPausedAt = -1;  // the turn at which "Paused" was checked
var harnessTurns = 0;
var harnessWork = harnessSetting("TS_HARNESS_WORK", ".");
var harnessRuns = [];
// In a helper: the model's variables the page had written, and the file for its runs.
var harnessInherited = {};
var harnessRecordFile = null;

function HarnessNode(name, nodeValue) {
    this.name = name;
    this.nodeValue = nodeValue;
    this.checked = false;
    this.nodes = [];
    this.firstChild = null;
}

HarnessNode.prototype.appendChild = function (node) {
    if (!(node instanceof HarnessNode))
        throw new Error("appendChild of a node the document did not make");
    this.nodes.push(node);
    this.firstChild = this.nodes[0];
    return node;
};

HarnessNode.prototype.removeChild = function (node) {
    for (var i = 0; i < this.nodes.length; ++i)
        if (this.nodes[i] === node)
            this.nodes.splice(i--, 1);
    this.firstChild = this.nodes.length > 0 ? this.nodes[0] : null;
    return node;
};

// What an element shows, as markup: text with &, < and > as entities, a line break as <br>,
// any other element as what it holds.
HarnessNode.prototype.markup = function () {
    if (this.name == "#text")
        return this.nodeValue.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
    if (this.name == "br")
        return "<br>";
    var out = "";
    for (var i = 0; i < this.nodes.length; ++i)
        out += this.nodes[i].markup();
    return out;
};

// The runs whose end the report shows: text nodes "OK", " error..." or " not run...".
HarnessNode.prototype.reportedRuns = function () {
    if (this.name == "#text")
        return this.nodeValue == "OK" || this.nodeValue.indexOf(" error") == 0 ||
                       this.nodeValue.indexOf(" not run") == 0
                   ? 1
                   : 0;
    var count = 0;
    for (var i = 0; i < this.nodes.length; ++i)
        count += this.nodes[i].reportedRuns();
    return count;
};

var harnessElements = {
    report: new HarnessNode("p", ""),
    progress: new HarnessNode("p", ""),
    Stopped: new HarnessNode("input", ""),
    Paused: new HarnessNode("input", ""),
    CmdView: new HarnessNode("input", "")
};
harnessElements.CmdView.checked = harnessSetting("TS_CMD_VIEW", "0") == "1";

var document = {
    // Any other id (a template file's own) is an element of its own too.
    getElementById: function (id) {
        if (!harnessElements.hasOwnProperty(id))
            harnessElements[id] = new HarnessNode("p", null);
        return harnessElements[id];
    },
    createTextNode: function (text) {
        return new HarnessNode("#text", String(text));
    },
    createElement: function (name) {
        return new HarnessNode(String(name).toLowerCase(), null);
    }
};

// Windows' expansion, one pass from left to right. A '%' with a later '%' opens a reference
// to the name between them: a defined name (letter case not minded) is replaced by its value,
// which is never looked at again, and the scan goes on after the closing '%'. An undefined
// or empty name, or a '%' with no later one, leaves that '%' as it stands and the scan goes
// on at the next unit, so the closing '%' may open the next reference: "%UNDEFINED%OS%"
// gives "%UNDEFINEDWindows_NT". No name is empty ("%%" stays), and nothing escapes a '%'.
function harnessExpand(text, lookUp) {
    var out = "";
    for (var at = 0; at < text.length;) {
        var close = text.charAt(at) == "%" ? text.indexOf("%", at + 1) : -1;
        var value = close > at + 1 ? lookUp(text.substring(at + 1, close)) : null;
        if (value === null) {
            out += text.charAt(at++);
        } else {
            out += value;
            at = close + 1;
        }
    }
    return out;
}

function HarnessShell() {
    this.written = {};  // the model's variables written by the script, by upper-case name
    for (var key in harnessInherited)
        this.written[key] = harnessInherited[key];
}

HarnessShell.prototype.lookUp = function (name) {
    var key = "=" + name.toUpperCase();
    return this.written.hasOwnProperty(key) ? this.written[key] : harnessVariable(name);
};

HarnessShell.prototype.Environment = function (kind) {
    if (!harnessWindowsHost)
        return harnessShell.Environment(kind);
    var shell = this;
    var variables = function (name) {
        var value = shell.lookUp(name);
        return value === null ? "" : value;
    };
    variables.put = function (name, value) {
        if (harnessSetting("TS_ENVIRONMENT_WRITE_FAILS", "0") == "1")
            throw new Error("Illegal assignment");
        shell.written["=" + String(name).toUpperCase()] = String(value);
    };
    return variables;
};

HarnessShell.prototype.ExpandEnvironmentStrings = function (text) {
    if (!harnessWindowsHost)
        return harnessShell.ExpandEnvironmentStrings(text);
    var shell = this;
    return harnessExpand(String(text), function (name) { return shell.lookUp(name); });
};

HarnessShell.prototype.RegRead = function (key) {
    if (harnessSetting("TS_SCRIPT_HOST_OFF", "0") == "1" &&
        /\\Windows Script Host\\Settings\\Enabled$/i.test(key))
        return "0";
    return harnessShell.RegRead(key);
};

function harnessIsBlank(unit) {
    return unit == " " || unit == "\t";
}

// A program linked against msvcrt.dll (lame.exe, the stand-in encoder) splits its command line
// on Windows by the rule of the C runtime before 2008: inside quotes, "" gives one quote and
// also ends the quoted part. Wine's runtime keeps the part quoted. So the model splits the
// arguments after the program name by that rule, as Microsoft documents the parsing, and
// writes each again quoted so that every runtime reads it alike: its quotes as \", the
// backslashes before them and at its end doubled. The program name stays as it stands.
function harnessMsvcrtSplit(command) {
    var at = 0, quoted = false;
    // The program name: a quote only switches quoting, backslashes are plain.
    while (at < command.length && (quoted || !harnessIsBlank(command.charAt(at)))) {
        if (command.charAt(at) == "\"")
            quoted = !quoted;
        ++at;
    }
    var out = command.substring(0, at);
    for (;;) {
        while (at < command.length && harnessIsBlank(command.charAt(at)))
            ++at;
        if (at >= command.length)
            return out;
        var argument = "", inQuotes = false;
        for (;;) {
            var backslashes = 0;
            while (command.charAt(at) == "\\") {
                ++at;
                ++backslashes;
            }
            var copy = true;
            if (command.charAt(at) == "\"") {
                if (backslashes % 2 == 0) {
                    if (inQuotes && command.charAt(at + 1) == "\"") {
                        ++at;
                        inQuotes = false;
                    } else {
                        copy = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes = Math.floor(backslashes / 2);
            }
            for (; backslashes > 0; --backslashes)
                argument += "\\";
            if (at >= command.length || (!inQuotes && harnessIsBlank(command.charAt(at))))
                break;
            if (copy)
                argument += command.charAt(at);
            ++at;
        }
        out += " \"" + argument.replace(/(\\*)"/g, "$1$1\\\"").replace(/(\\+)$/, "$1$1") + "\"";
    }
}

// Every run is recorded with its window style, its exit code (-1 for a helper, which is not
// waited for) and the command as Wine's Run receives it (in the model: before its arguments
// are split by msvcrt's rule).
HarnessShell.prototype.Run = function (command, style, wait) {
    var passed = harnessWindowsHost ? this.ExpandEnvironmentStrings(command) : command;
    if (wait === true) {
        var code = harnessShell.Run(harnessWindowsHost ? harnessMsvcrtSplit(passed) : passed,
                                    style, true);
        harnessRecord(style + " " + code + " " + passed);
        return code;
    }
    var helper = /^wscript\.exe ([^"]*)"([^"]+\.js)"(.*)$/i.exec(passed);
    if (!helper)
        throw new Error("Run not told to wait for the encoder");
    harnessRecord(style + " -1 " + passed);
    if (harnessSetting("TS_HELPERS_NEVER_ANSWER", "0") == "1")
        return 0;
    var wrapped = harnessWrapHelper(helper[2], this.written);
    return harnessShell.Run("wscript.exe " + helper[1] + "\"" + wrapped + "\"" + helper[3], style,
                            false);
};

// Scripting.FileSystemObject with the stand-in scanner in front of it (TS_RENAME_HELD), and in
// the model of Windows with Windows' limits on the length of a path.
function HarnessFiles(pattern, windows) {
    this.real = new harnessNativeObject("Scripting.FileSystemObject");
    this.pattern = pattern ? new RegExp(pattern, "i") : null;
    this.windows = windows;
    this.holds = [];  // {path, stream, until}
    this.seen = {};
}

// Ends the holds whose time is over; every call of the object looks first.
HarnessFiles.prototype.release = function () {
    for (var i = 0; i < this.holds.length; ++i)
        if (harnessNow() >= this.holds[i].until) {
            this.holds[i].stream.Close();
            this.holds.splice(i--, 1);
        }
};

HarnessFiles.prototype.MoveFile = function (from, to) {
    this.release();
    var key = String(from).toLowerCase();
    if (this.refuses("MoveFile", arguments))
        throw new Error("The path is too long for the file object");
    if (this.pattern && this.pattern.test(from) && !this.seen[key] && this.real.FileExists(from)) {
        this.seen[key] = true;
        var milliseconds = parseInt(harnessSetting("TS_RENAME_HELD_MS", "300"), 10);
        this.holds.push({stream: this.real.OpenTextFile(from, 1), until: harnessNow() + milliseconds});
    }
    return this.real.MoveFile(from, to);
};

// Windows' file object is not long-path aware: a path of 260 units or more, also in the
// extended-length form (\\?\...), is not there for it, and anything done with it fails; it
// makes a folder by CreateDirectory, which refuses 248 units or more in the usual form.
HarnessFiles.prototype.refuses = function (name, args) {
    if (!this.windows)
        return false;
    for (var i = 0; i < args.length; ++i)
        if (typeof args[i] == "string" && args[i].length >= (name == "CreateFolder" ? 248 : 260))
            return true;
    return false;
};

(function () {
    var names = ["FileExists", "FolderExists", "CreateFolder", "CreateTextFile", "OpenTextFile",
                 "DeleteFile", "DeleteFolder", "GetSpecialFolder", "GetFile", "GetParentFolderName"];
    for (var n = 0; n < names.length; ++n)
        (function (name) {
            HarnessFiles.prototype[name] = function (a, b, c, d) {
                this.release();
                if (name != "GetParentFolderName" && this.refuses(name, arguments)) {
                    if (name == "FileExists" || name == "FolderExists")
                        return false;
                    throw new Error("The path is too long for the file object");
                }
                switch (arguments.length) {
                case 1: return this.real[name](a);
                case 2: return this.real[name](a, b);
                case 3: return this.real[name](a, b, c);
                default: return this.real[name](a, b, c, d);
                }
            };
        })(names[n]);
})();

ActiveXObject = function (name) {
    if (name == "WScript.Shell")
        return new HarnessShell();
    if (name == "Scripting.FileSystemObject" &&
        (harnessWindowsHost || harnessSetting("TS_RENAME_HELD", "") != ""))
        return new HarnessFiles(harnessSetting("TS_RENAME_HELD", ""), harnessWindowsHost);
    return new harnessNativeObject(name);
};

// A helper's runs go to its file at once: the page may end before the helper does.
function harnessRecord(run) {
    harnessRuns.push(run);
    if (harnessRecordFile === null)
        return;
    var file = harnessFiles.OpenTextFile(harnessRecordFile, 8, true);
    file.WriteLine(harnessEscape(run));
    file.Close();
}

var harnessHelpers = 0;

// The helper script with this host in front of it, the variables the page wrote and the file
// for its runs; the path of that script in the work folder.
function harnessWrapHelper(helperPath, written) {
    var name = harnessWork + "\\helper-" + ++harnessHelpers;
    var inherited = "";
    for (var key in written)
        inherited += "harnessInherited[" + harnessLiteral(key) + "] = " +
                     harnessLiteral(written[key]) + ";\r\n";
    var text = harnessFiles.OpenTextFile(harnessSetting("TS_HARNESS_JS", ""), 1).ReadAll() +
               "\r\n" + inherited + "harnessRecordFile = " + harnessLiteral(name + ".runs") +
               ";\r\n" + harnessFiles.OpenTextFile(helperPath, 1).ReadAll();
    var file = harnessFiles.CreateTextFile(name + ".js", true, false);
    file.Write(text);
    file.Close();
    return name + ".js";
}

// Printable ASCII as it stands, a backslash doubled, every other unit as \uXXXX.
function harnessEscape(text) {
    var out = "";
    for (var i = 0; i < text.length; ++i) {
        var unit = text.charCodeAt(i);
        if (unit == 92)
            out += "\\\\";
        else if (unit >= 32 && unit < 127)
            out += text.charAt(i);
        else
            out += "\\u" + ("0000" + unit.toString(16)).slice(-4);
    }
    return out;
}

function harnessLiteral(text) {
    return "\"" + harnessEscape(text).replace(/"/g, "\\u0022") + "\"";
}

// The event loop: timers by the time they are due, then by the order they were set.
var harnessTimers = [];
var harnessTimerCount = 0;
var harnessClicked = false;

function harnessNow() {
    return new Date().getTime();
}

function harnessAddTimer(callback, delay, repeat) {
    var timer = {id: ++harnessTimerCount, callback: callback, delay: Math.max(0, delay || 0),
                 repeat: repeat};
    timer.due = harnessNow() + timer.delay;
    harnessTimers.push(timer);
    return timer.id;
}

function setTimeout(callback, delay) {
    return harnessAddTimer(callback, delay, false);
}

function setInterval(callback, delay) {
    return harnessAddTimer(callback, delay, true);
}

function clearTimeout(id) {
    for (var i = 0; i < harnessTimers.length; ++i)
        if (harnessTimers[i].id == id)
            harnessTimers.splice(i--, 1);
}

var clearInterval = clearTimeout;

// Through the sleeper that stays (TS_HARNESS_SLEEP_URL), or else a process per wait.
function harnessSleep(milliseconds) {
    var url = harnessSetting("TS_HARNESS_SLEEP_URL", "");
    if (url != "") {
        try {
            var request = new harnessNativeObject("MSXML2.XMLHTTP");
            request.open("GET", url + Math.round(milliseconds) + "?" + harnessNow(), false);
            request.send();
            return;
        } catch (e) {
        }
    }
    harnessShell.Run("\"" + harnessSetting("TS_HARNESS_SLEEP", "") + "\" " + milliseconds, 0, true);
}

// After each turn: what the page shows now, then the click, if it is due (with the time it
// came, in milliseconds since 1601 as the stand-in encoder logs them). False once the
// window is closed.
var harnessReportEnded = false;

function harnessTurn(callback) {
    callback();
    var reported = harnessElements.report.reportedRuns();
    // When the report's last line came (for the launcher's costs at its end).
    if (!harnessReportEnded &&
        /(Done\.|tracks not run\.)$/.test(harnessElements.report.markup())) {
        harnessReportEnded = true;
        WScript.Echo("ENDED " + harnessSince1601());
    }
    WScript.Echo("TURN " + reported + " " + harnessEscape(harnessElements.progress.markup()));
    var running = /, [1-9][0-9]* running,/.test(harnessElements.progress.markup());
    if (!harnessClicked && ((harnessClickAfter >= 0 && reported >= harnessClickAfter) ||
                            (harnessClickRunning && running))) {
        harnessClicked = true;
        harnessElements.Stopped.checked = true;
        WScript.Echo("CLICK " + harnessSince1601());
        if (typeof harnessElements.Stopped.onclick == "function")
            harnessElements.Stopped.onclick();
    }
    ++harnessTurns;
    if (harnessPausedAt < 0 && harnessPauseAfter >= 0 && reported >= harnessPauseAfter) {
        harnessPausedAt = harnessTurns;
        harnessElements.Paused.checked = true;
        WScript.Echo("PAUSE " + harnessSince1601());
    } else if (harnessElements.Paused.checked && harnessTurns - harnessPausedAt >= harnessPauseTurns) {
        harnessElements.Paused.checked = false;
        WScript.Echo("RESUME " + harnessSince1601());
    }
    if (harnessCloseAfter >= 0 && reported >= harnessCloseAfter) {
        WScript.Echo("CLOSE " + harnessSince1601());
        return false;
    }
    return true;
}

function harnessSince1601() {
    return harnessNow() + 11644473600000;
}

function harnessRunPage(onload) {
    WScript.Echo("BEGIN " + harnessSince1601());
    var open = harnessTurn(onload);
    while (open && harnessTimers.length > 0) {
        var next = 0;
        for (var i = 1; i < harnessTimers.length; ++i)
            if (harnessTimers[i].due < harnessTimers[next].due)
                next = i;
        var timer = harnessTimers[next];
        var wait = timer.due - harnessNow();
        if (wait > 0) {
            harnessSleep(wait);
            continue;
        }
        if (timer.repeat)
            timer.due = harnessNow() + timer.delay;
        else
            harnessTimers.splice(next, 1);
        open = harnessTurn(timer.callback);
    }
    for (var r = 0; r < harnessRuns.length; ++r)
        WScript.Echo("RUN " + harnessEscape(harnessRuns[r]));
    WScript.Echo("REPORT " + harnessEscape(harnessElements.report.markup()));
    WScript.Echo("END");
}
