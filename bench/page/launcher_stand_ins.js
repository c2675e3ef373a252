// Stand-ins for WScript.Shell and Scripting.FileSystemObject, so that a browser can show a
// launcher's page as it runs (Wine here has no HTML engine for the HTML Application host).
// Four processors; the helper of track n ends finishIn[n - 1] ms after it started; track 3
// fails with exit code 1. Nothing is run and no file is touched.
var standInJobs = {};
var finishIn = [2500, 4200, 6000, 3000, 9000, 9000];

function ActiveXObject(name) {
    return name == "WScript.Shell" ? standInShell : standInFiles;
}

function standInJob(path) {
    return path.replace(/\.(end|run|cmd)$/, "");
}

var standInShell = {
    Environment: function () { return function () { return ""; }; },
    ExpandEnvironmentStrings: function (text) {
        return text.replace("%NUMBER_OF_PROCESSORS%", "4");
    },
    RegRead: function () { throw new Error("no such value"); },
    Run: function (command) {
        var job = /"([^"]+)" \d$/.exec(command)[1];
        standInJobs[job] = Date.now() + finishIn[parseInt(job.replace(/.*\\/, ""), 10) - 1];
        return 0;
    }
};

var standInFiles = {
    GetSpecialFolder: function () { return {Path: "C:\\Users\\Anna\\AppData\\Local\\Temp"}; },
    CreateFolder: function () {},
    CreateTextFile: function () { return {Write: function () {}, Close: function () {}}; },
    FileExists: function (path) {
        var due = standInJobs[standInJob(path)];
        if (/\.end$/.test(path))
            return due !== undefined && Date.now() > due;
        return /\.run$/.test(path) && due !== undefined;
    },
    OpenTextFile: function (path) {
        var code = /\\3$/.test(standInJob(path)) ? "1" : "0";
        return {ReadAll: function () { return code; }, Close: function () {}};
    },
    FolderExists: function () { return false; },
    DeleteFolder: function () {},
    MoveFile: function () {},
    GetFile: function () { return {Size: 1000}; },
    DeleteFile: function () {}
};
