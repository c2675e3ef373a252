// Stand-ins for what the HTML Application host gives a launcher's page script: the page's
// elements behind document.getElementById, and vbRun, which the launcher defines in a
// VBScript block (Wine's script host runs one language per file). The test puts the
// launcher's script after this text and "run (); harnessReport ();" after that.
// Settings come from the environment:
//   TS_CMD_VIEW=1    the check box "Cmd.exe sichtbar" is checked
//   TS_STOP_AFTER=n  the user checks "Stop" once the encoder has run n times
var harnessShell = new ActiveXObject("WScript.Shell");

function harnessSetting(name, fallback) {
    var value = harnessShell.ExpandEnvironmentStrings("%" + name + "%");
    // Wine's ExpandEnvironmentStrings keeps the terminating NUL in the string it returns.
    var end = value.indexOf(String.fromCharCode(0));
    if (end >= 0)
        value = value.substring(0, end);
    return value == "%" + name + "%" ? fallback : value;
}

function HarnessElement() {
    this.checked = false;
    this.innerHTML = "";
}

var harnessElements = {
    report: new HarnessElement(),
    Stopped: new HarnessElement(),
    CmdView: new HarnessElement()
};
harnessElements.CmdView.checked = harnessSetting("TS_CMD_VIEW", "0") == "1";
var harnessStopAfter = parseInt(harnessSetting("TS_STOP_AFTER", "-1"), 10);
var harnessEncoderRuns = 0;
var harnessRuns = [];

var document = {
    getElementById: function (id) {
        return harnessElements[id];
    }
};

// As the launcher's VBScript: wshShell.Run (arg, opt, True), the command line unchanged,
// waiting for its end, giving back its exit code.
function vbRun(arg, opt) {
    var code = harnessShell.Run(arg, opt, true);
    harnessRuns.push(opt + " " + code + " " + arg);
    if (!/^cmd\.exe /.test(arg) && ++harnessEncoderRuns == harnessStopAfter)
        harnessElements.Stopped.checked = true;
    return code;
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

function harnessReport() {
    for (var i = 0; i < harnessRuns.length; ++i)
        WScript.Echo("RUN " + harnessEscape(harnessRuns[i]));
    WScript.Echo("REPORT " + harnessEscape(harnessElements.report.innerHTML));
    WScript.Echo("END");
}
