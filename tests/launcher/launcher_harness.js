// Stand-ins for what the HTML Application host gives a launcher's page script. The test puts
// the launcher's script after this text and "run (); harnessReport ();" after that. No
// VBScript stand-in is defined: the launcher must run on JScript alone.
//
// document: getElementById gives the two check boxes and the report paragraph, and the
// report records the nodes appended to it. The stand-ins have no innerHTML, innerText or
// textContent, so text put there never reaches the report.
//
// WScript.Shell, in one of two hosts (TS_HOST):
//   wine     Wine's own object: Run passes a command on as it stands, and Wine's JScript
//            raises "Illegal assignment" where a script writes a parameterised property
//            (shell.Environment ("Process") (name) = value).
//   windows  a model of Windows' object: Run first replaces %NAME% as Windows'
//            ExpandEnvironmentStrings does (harnessExpand) and hands the result to Wine's
//            Run. Its process environment is Wine's plus what the script wrote into it.
//            Wine's JScript cannot run that write, so the test turns the launcher's one
//            statement of it (kEnvironmentWrite) into a call of the model,
//            shell.Environment ("Process").put (name, value), before the script runs.
// Other settings, also from the environment:
//   TS_CMD_VIEW=1    the check box "Cmd.exe sichtbar" is checked
//   TS_STOP_AFTER=n  the user checks "Stop" once the encoder has run n times
var harnessNativeObject = ActiveXObject;
var harnessShell = new harnessNativeObject("WScript.Shell");

// The value of a variable of cscript's environment (letter case not minded), or null.
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
var harnessStopAfter = parseInt(harnessSetting("TS_STOP_AFTER", "-1"), 10);
var harnessRuns = [];

function HarnessNode(name, text) {
    this.name = name;
    this.text = text;
}

function HarnessElement() {
    this.checked = false;
    this.nodes = [];
}

HarnessElement.prototype.appendChild = function (node) {
    if (!(node instanceof HarnessNode))
        throw new Error("appendChild of a node the document did not make");
    this.nodes.push(node);
    return node;
};

var harnessElements = {
    report: new HarnessElement(),
    Stopped: new HarnessElement(),
    CmdView: new HarnessElement()
};
harnessElements.CmdView.checked = harnessSetting("TS_CMD_VIEW", "0") == "1";

var document = {
    getElementById: function (id) {
        return harnessElements[id];
    },
    createTextNode: function (text) {
        return new HarnessNode("#text", String(text));
    },
    createElement: function (name) {
        return new HarnessNode(String(name).toLowerCase(), "");
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

// Every run is recorded with the command as Wine's Run receives it.
HarnessShell.prototype.Run = function (command, style, wait) {
    if (wait !== true)
        throw new Error("Run not told to wait for the encoder");
    var passed = harnessWindowsHost ? this.ExpandEnvironmentStrings(command) : command;
    var code = harnessShell.Run(passed, style, true);
    harnessRuns.push(style + " " + code + " " + passed);
    if (harnessRuns.length == harnessStopAfter)
        harnessElements.Stopped.checked = true;
    return code;
};

ActiveXObject = function (name) {
    return name == "WScript.Shell" ? new HarnessShell() : new harnessNativeObject(name);
};

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

// The report as markup: text with &, < and > as entities, an element as <name>.
function harnessReportMarkup() {
    var out = "";
    var nodes = harnessElements.report.nodes;
    for (var i = 0; i < nodes.length; ++i) {
        if (nodes[i].name == "#text")
            out += nodes[i].text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
        else
            out += "<" + nodes[i].name + ">";
    }
    return out;
}

function harnessReport() {
    for (var i = 0; i < harnessRuns.length; ++i)
        WScript.Echo("RUN " + harnessEscape(harnessRuns[i]));
    WScript.Echo("REPORT " + harnessEscape(harnessReportMarkup()));
    WScript.Echo("END");
}
