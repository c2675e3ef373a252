// The job files. The page and its helpers (helper.js) talk only through files in the batch's
// folder, Tonschleuder-<n> under the temporary folder (the first free one of 1 to 100).
// A job, an answer and a result are each written under the name with ".part" added and renamed
// once complete, so that no reader sees half of one; a rename held by a virus scanner is tried
// again.
//   page.lock     held open by the page while it runs: once it can be deleted, the page has
//                 gone, and a helper claims no further job.
//   helper.js     the helper's script, written by the page (helperScript).
// The page starts helper h (1, 2, ...) hidden as wscript.exe helper.js "<folder>\h" %OS%.
// Its files:
//   h.lock        held open by the helper while it lives: once it can be deleted, the helper
//                 has gone, having left every result it had.
//   h.hello       left by the helper at its start: "1" where Run replaced the %OS% of its
//                 command line (Run replaces %NAME% here), else "0".
//   h-j.job.part  the page writes job j: the window style on the first line, the command
//                 after it (UTF-16).
//   h-j.job       the job complete, for the helper to claim (renamed by the page).
//   h-j.run       the job claimed: the helper renames .job to .run before it runs it; the
//                 page then counts it as running and can no longer take it back.
//   h-j.page      the job taken back by the page before the helper claimed it (renamed from
//                 .job), to run in another helper or the page.
//   h-j.end       the job's result, its exit code or "refused" (a command Run would change).
// A helper claims its jobs in order, waiting up to ten seconds for the next, and ends where
// none comes or the page has gone. A folder whose page and helpers have all gone (their
// locks can be deleted) is left over from a closed window: the next batch removes it.
// A folder of the batch's own under the temporary folder, the first free one of
// Tonschleuder-1, -2, ..., holding the helper script and the page's lock, which the page
// keeps open while it runs; null where no helper can run: no file object, or Windows Script
// Host switched off.
function helperFolder ()
{
	if (!files || scriptHostDisabled ())
		return null;
	for (var n = 1; n <= 100; ++n) {
		var folder = null;
		try {
			folder = files.GetSpecialFolder (2).Path + "\\Tonschleuder-" + n;
			if (files.FolderExists (folder))
				continue;
			files.CreateFolder (folder);
		} catch (e) {
			// Another launcher has just made it.
			continue;
		}
		try {
			batch.lock = files.CreateTextFile (folder + "\\page.lock", true, false);
			// Where a file held open can be deleted, no helper could tell the page gone.
			if (released (files, folder + "\\page.lock"))
				throw new Error ("locks do not hold");
			var script = files.CreateTextFile (folder + "\\helper.js", true, false);
			script.Write (helperScript ());
			script.Close ();
			return folder;
		} catch (e) {
			try {
				if (batch.lock)
					batch.lock.Close ();
				batch.lock = null;
				files.DeleteFolder (folder, true);
			} catch (e) {
			}
			return null;
		}
	}
	return null;
}
// The helper's script: the functions of helper.js, which reach nothing of the page (each
// is given the file and shell objects it uses), written out from their own text.
function helperScript ()
{
	return "(" + helper.toString () + ") ();\r\n" + released.toString () + "\r\n"
		+ expandedText.toString () + "\r\n" + leave.toString () + "\r\n"
		+ writeText.toString () + "\r\n" + renamed.toString () + "\r\n";
}
// Removes the folders that batches whose window was closed left behind, once no helper of
// theirs works: a running page or helper holds its lock open, so it cannot be deleted.
// (Wine's Enumerator fails on a folder's SubFolders: the folders are found by their numbers.)
function removeLeftFolders ()
{
	var temp = null;
	try {
		temp = files.GetSpecialFolder (2).Path;
	} catch (e) {
	}
	for (var n = 1; temp && n <= 100; ++n) {
		try {
			var folder = temp + "\\Tonschleuder-" + n;
			if (!files.FolderExists (folder) || !released (files, folder + "\\page.lock"))
				continue;
			var ended = true;
			for (var id = 1; ended && files.FileExists (folder + "\\" + id + ".hello"); ++id)
				ended = released (files, folder + "\\" + id + ".lock");
			if (ended)
				files.DeleteFolder (folder, true);
		} catch (e) {
		}
	}
}
function scriptHostDisabled ()
{
	var roots = ["HKCU", "HKLM"];
	for (var i = 0; i < roots.length; ++i) {
		try {
			if (String (shell.RegRead (roots[i]
					+ "\\Software\\Microsoft\\Windows Script Host\\Settings\\Enabled")) == "0")
				return true;
		} catch (e) {
		}
	}
	return false;
}
// Starts a helper, hidden, with its first job. Its command line ends in %OS%: the helper
// sees from it whether Run replaced %NAME%.
function startHelper (track)
{
	var helper = {base: batch.folder + "\\" + ++batch.started, jobNumber: 0, jobs: [],
		answered: false, gone: false, since: new Date ().getTime ()};
	batch.helpers.push (helper);
	try {
		if (!leaveJob (helper, track))
			throw new Error ("no job could be left");
		var command = "wscript.exe //B //NoLogo \"" + batch.folder + "\\helper.js\" \""
			+ helper.base + "\" ";
		if (changedByRun (command))
			throw new Error ("Run would change the helper's command");
		shell.Run ((command + "%OS%").replace (/%/g, percent), 0, false);
	} catch (e) {
		// No helper was started: its job is taken back at the next turn.
		helper.since = 0;
	}
}
// Leaves the track's command as the helper's next job, its window style on the first line;
// where it cannot be written, the track waits for the next helper or the page (and the job's
// number for the next track). It is renamed for the helper once complete (leftJob).
function leaveJob (helper, track)
{
	track.job = helper.base + "-" + (helper.jobNumber + 1);
	track.claimed = false;
	try {
		writeText (files, track.job + ".job.part", windowStyle () + "\r\n"
			+ track.command.replace (/%/g, percent));
	} catch (e) {
		batch.waiting.unshift (track);
		return false;
	}
	++helper.jobNumber;
	track.left = false;
	leftJob (track);
	helper.jobs.push (track);
	return true;
}
// Whether the track's job is there for its helper to claim. Where its file is held (a virus
// scanner opens a file just written for a moment), the rename is tried again at each turn;
// the helper waits for it meanwhile.
function leftJob (track)
{
	track.left = track.left || renamed (files, track.job + ".job.part", track.job + ".job", 0);
	return track.left;
}
// Takes a helper's finished jobs. A helper that has gone (its lock can be deleted) leaves
// its jobs not claimed to other helpers, and a job it claimed without leaving a result is an
// error. A helper that has not answered within ten seconds has its job taken back, and all
// tracks are run here.
function collectFromHelper (helper)
{
	// A virus scanner may hold the helper's hello for a moment: it is read again at a later turn.
	if (!helper.answered && files.FileExists (helper.base + ".hello")) {
		try {
			batch.expands = readText (helper.base + ".hello") == "1";
			helper.answered = batch.answered = true;
		} catch (e) {
		}
	}
	// Looked at before the results: a helper leaves each result before it ends.
	helper.gone = helper.gone || helper.answered && released (files, helper.base + ".lock");
	// After "Stop", a helper that has not answered is not waited for.
	var late = !helper.answered
		&& (batch.stopped || new Date ().getTime () - helper.since >= 10000);
	var jobs = helper.jobs;
	helper.jobs = [];
	for (var i = 0; i < jobs.length; ++i) {
		var track = jobs[i];
		var code = jobResult (track);
		if (code !== null)
			finishTrack (track, code);
		else if (helper.gone && track.claimed)
			finishTrack (track, "ended");
		// A helper gone claims nothing more: a job it had not claimed can go to another.
		else if (helper.gone || late && takeBack (track))
			batch.waiting.push (track);
		else {
			leftJob (track);
			helper.jobs.push (track);
		}
	}
	if (late && helper.jobs.length == 0) {
		helper.gone = true;
		if (!batch.inPage && !batch.stopped) {
			batch.inPage = true;
			note ("No helper answered: one encode at a time in this window.");
		}
	}
}
// The result a helper left for a job (its exit code, or "refused"), or null while none is
// there; notes when the job has been claimed.
function jobResult (track)
{
	try {
		if (files.FileExists (track.job + ".end")) {
			var text = readText (track.job + ".end");
			var code = parseInt (text, 10);
			return text == "refused" ? text : isNaN (code) ? -1 : code;
		}
		if (!track.claimed && files.FileExists (track.job + ".run")) {
			track.claimed = true;
			track.claimedAt = new Date ().getTime ();
		}
	} catch (e) {
	}
	return null;
}
// Takes a job back from its helper; fails when the helper has claimed it, or while its file
// is held. A job not yet renamed for its helper is only removed.
function takeBack (track)
{
	if (track.left)
		return renamed (files, track.job + ".job", track.job + ".page", 0);
	try {
		files.DeleteFile (track.job + ".job.part");
	} catch (e) {
	}
	return true;
}
function readText (path)
{
	var input = files.OpenTextFile (path, 1, false, -1);
	var text = input.ReadAll ();
	input.Close ();
	return text;
}
// Removes the batch's folder once its helpers have gone. A helper that has just ended may
// still hold its script for a moment, so the removal is tried again for a few seconds.
function removeFolder (tries)
{
	if (batch.lock) {
		batch.lock.Close ();
		batch.lock = null;
	}
	if (batch.folder && files.FolderExists (batch.folder)) {
		try {
			files.DeleteFolder (batch.folder, true);
		} catch (e) {
		}
		if (files.FolderExists (batch.folder) && tries < 25)
			setTimeout (function () { removeFolder (tries + 1); }, 200);
	}
}
