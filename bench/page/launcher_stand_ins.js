// Stand-ins for WScript.Shell and Scripting.FileSystemObject, so that a browser can show a
// launcher's page as it runs (Wine here has no HTML engine for the HTML Application host).
// Four processors; the encode of track n takes finishIn[n - 1] ms; track 3 fails with exit
// code 1. Nothing is run and no file is touched: the files the page writes are kept here.
// Both ways of running helpers are modelled: the built-in page's, whose helpers each take
// the jobs <k>-<j>.job left for them one after another, and the sample template's, one
// helper per job <n>.job.
var finishIn = [2500, 4200, 6000, 3000, 9000, 9000];
var standInFiles = {};    // path: text, of the files the page has written
var standInHelpers = {};  // a lasting helper's path without ending: when it is free again
var standInJobs = {};     // a job's path without ending: {start, end, code}

function ActiveXObject(name) {
    return name == "WScript.Shell" ? standInShell : standInFiles.object;
}

function standInJob(path) {
    return path.replace(/\.(end|run|job|page)$/, "");
}

// A job starts once its helper is free and takes as long as its track's encode.
function standInSchedule(job, helper, command) {
    var track = parseInt(/\\(\d\d) [^\\"]*\.mp3"$/.exec(command)[1], 10);
    var start = Math.max(Date.now(), helper === null ? 0 : standInHelpers[helper]);
    standInJobs[job] = {start: start, end: start + finishIn[track - 1],
                        code: track == 3 ? "1" : "0"};
    if (helper !== null)
        standInHelpers[helper] = standInJobs[job].end;
}

var standInShell = {
    Environment: function () { return function () { return ""; }; },
    ExpandEnvironmentStrings: function (text) {
        return text.replace("%NUMBER_OF_PROCESSORS%", "4");
    },
    RegRead: function () { throw new Error("no such value"); },
    Run: function (command, style, wait) {
        if (wait)
            return 0;
        var lasting = /"([^"]+)" %OS%$/.exec(command);
        if (lasting) {
            var helper = lasting[1];
            standInHelpers[helper] = Date.now() + 300;
            standInFiles[helper + ".hello"] = "0";
            for (var path in standInFiles)
                if (path.indexOf(helper + "-") == 0 && /\.job$/.test(path))
                    standInSchedule(standInJob(path), helper, standInFiles[path]);
            return 0;
        }
        var job = /"([^"]+)" \d$/.exec(command)[1];
        standInSchedule(job, null, standInFiles[job + ".job"]);
        return 0;
    }
};

function standInStarted(path) {
    var job = standInJobs[standInJob(path)];
    return job !== undefined && Date.now() >= job.start;
}

function standInEnded(path) {
    var job = standInJobs[standInJob(path)];
    return job !== undefined && Date.now() >= job.end;
}

standInFiles.object = {
    GetSpecialFolder: function () { return {Path: "C:\\Users\\Anna\\AppData\\Local\\Temp"}; },
    CreateFolder: function () {},
    CreateTextFile: function (path) {
        standInFiles[path] = "";
        return {Write: function (text) { standInFiles[path] += text; }, Close: function () {}};
    },
    FileExists: function (path) {
        if (/\.end$/.test(path))
            return standInEnded(path);
        if (/\.run$/.test(path))
            return standInStarted(path);
        return /\.lock$/.test(path) || standInFiles.hasOwnProperty(path);
    },
    OpenTextFile: function (path) {
        var job = standInJobs[standInJob(path)];
        var text = /\.end$/.test(path) ? job.code : standInFiles[path];
        return {ReadAll: function () { return text; }, Close: function () {}};
    },
    FolderExists: function () { return false; },
    DeleteFolder: function () {},
    // A job left for a helper that runs is scheduled; a job taken back is one not started.
    MoveFile: function (from, to) {
        if (/\.page$/.test(to)) {
            if (standInStarted(from))
                throw new Error("claimed");
            delete standInJobs[standInJob(from)];
            return;
        }
        standInFiles[to] = standInFiles[from];
        var helper = to.replace(/-\d+\.job$/, "");
        if (helper != to && standInHelpers[helper] !== undefined)
            standInSchedule(standInJob(to), helper, standInFiles[to]);
    },
    GetFile: function () { return {Size: 1000}; },
    // The page's lock, and a helper's while it has a job not ended, are held open.
    DeleteFile: function (path) {
        if (/page\.lock$/.test(path))
            throw new Error("in use");
        if (/\.lock$/.test(path))
            for (var job in standInJobs)
                if (job.indexOf(path.replace(/\.lock$/, "-")) == 0 && !standInEnded(job))
                    throw new Error("in use");
    }
};
