// The page's batch: the tracks the callRun lines queue, run in short turns of the page through
// helpers (jobs.js) or in the page itself, each track's line in the report, and the source's
// deletion after a good encode (output_check.js tells a short output).
var shell = new ActiveXObject ("WScript.Shell");
var files = fileSystem ();
var percent = percentReference ();
var tracks = [];
var batch = null;
// Each callRun line queues its track: the command's arguments, the source's length in seconds
// (0 where the program did not know it), the source and the output as the command names
// them, and what the encoder decodes the source from ("FLAC", "Opus", "Ogg" or ""); a
// template's own line may give the command alone. The batch then runs in short turns of the
// page (setTimeout), so that the window repaints and takes a click on "Stop" while encoders
// work: up to one hidden helper script per processor, each running its tracks one after
// another.
function callRun (arg, seconds, source, output, from)
{
	tracks.push ({arg: arg, seconds: seconds || 0, source: source || "", output: output || "",
		from: from || ""});
}
function startBatch ()
{
	batch = {next: 0, ready: -1, done: 0, waiting: [], helpers: [], started: 0, answered: false,
		expands: null, stopped: false, ended: 0, lock: null, encodes: 0, encodeTime: 0,
		slots: Math.max (1, Math.min (processorCount (), tracks.length)),
		began: new Date ().getTime (), progress: document.createTextNode ("")};
	removeLeftFolders ();
	batch.folder = helperFolder ();
	batch.inPage = !batch.folder;
	document.getElementById ("progress").appendChild (batch.progress);
	document.getElementById ("Stopped").onclick = stopClicked;
	if (batch.inPage)
		note ("No helper can run: one encode at a time in this window.");
	showProgress ();
	setTimeout (turn, 0);
}
// One turn: take the finished encodes, give out new ones unless "Stop" is checked (or the
// batch is paused), show the progress, and come back soon while anything runs or waits.
function turn ()
{
	stopClicked ();
	var held = batch.stopped || paused ();
	if (held)
		takeBackJobs ();
	var done = batch.done;
	collectFinished ();
	// In the page, one encode per turn.
	if (!held && !(batch.inPage && batch.done > done))
		startEncodes ();
	if (!batch.ended) {
		showProgress ();
		if (!working ())
			endReport ();
	}
	// Once the report has ended, helpers that are still on their way out are waited for up
	// to ten seconds before the batch's folder is removed.
	if (batch.helpers.length > 0 && !(batch.ended && new Date ().getTime () - batch.ended > 10000))
		setTimeout (turn, batch.answered ? 200 : 50);
	else if (!batch.ended)
		setTimeout (turn, held ? 200 : 0);
	else
		removeFolder (0);
}
// Whether a track still runs or is to run: until then the report goes on.
function working ()
{
	for (var i = 0; i < batch.helpers.length; ++i)
		if (batch.helpers[i].jobs.length > 0)
			return true;
	return !batch.stopped && tracksLeft ();
}
// "Stop": no job starts any more. The jobs left for helpers and not yet claimed are taken
// back at once, so that no helper claims one after the click; the encodes running finish.
function stopClicked ()
{
	if (batch.stopped || !document.getElementById ("Stopped").checked)
		return;
	batch.stopped = true;
	takeBackJobs ();
}
// A template of its own may pause the batch: while this says so, no job starts and the jobs
// not yet claimed are taken back, as at "Stop"; the batch goes on once it says so no more.
function paused ()
{
	return false;
}
// Takes back the jobs no helper has claimed. One that cannot be taken back yet (its file
// held for a moment) is tried again at the next turn.
function takeBackJobs ()
{
	for (var i = 0; i < batch.helpers.length; ++i) {
		var jobs = batch.helpers[i].jobs;
		for (var j = 0; j < jobs.length; ++j)
			if (!jobs[j].claimed && takeBack (jobs[j]))
				batch.waiting.push (jobs.splice (j--, 1)[0]);
	}
}
// Before the next track is given out, the missing folders of its output are made; a track
// whose folder cannot be made ends with an error line, its source stays, and the batch goes on.
function tracksLeft ()
{
	while (batch.waiting.length == 0 && batch.next < tracks.length && batch.ready < batch.next) {
		var folder = makeOutputFolders (tracks[batch.next]);
		if (!folder) {
			batch.ready = batch.next;
			break;
		}
		var track = startTrack ();
		say (track.line, " error: the folder " + folder + " could not be made");
		++batch.done;
	}
	return batch.waiting.length > 0 || batch.next < tracks.length;
}
// Makes the folders of a track's output that are missing, from the top down; the folder that
// could not be made, or null. The program made them at the save: this makes one still
// missing. An output beside its source needs none. A folder of 248 units or more is left
// alone: Windows' file object cannot make it, and lame.exe's failure reports it missing.
function makeOutputFolders (queued)
{
	// Without the extended-length form's prefix of a long path: the folders are walked up
	// to the drive, which the prefix would hide.
	function folderOf (path)
	{
		path = path.replace (/^\\\\\?\\(UNC\\)?/, function (all, unc) {
			return unc ? "\\\\" : "";
		});
		return path.substring (0, Math.max (0, path.lastIndexOf ("\\")));
	}
	var folder = folderOf (queued.output);
	if (!files || !folder || folder == folderOf (queued.source) || folder.length >= 248)
		return null;
	var levels = [];
	try {
		for (var above = folder; above && !files.FolderExists (above);
				above = files.GetParentFolderName (above))
			levels.unshift (above);
		for (var i = 0; i < levels.length; ++i)
			files.CreateFolder (levels[i]);
	} catch (e) {
		return folder;
	}
	return null;
}
// The next track to run: one taken back from a helper first.
function nextTrack ()
{
	return batch.waiting.length > 0 ? batch.waiting.shift () : startTrack ();
}
function startEncodes ()
{
	if (batch.inPage) {
		if (tracksLeft ())
			runInPage (nextTrack ());
		return;
	}
	for (var i = 0; i < batch.helpers.length; ++i)
		giveJobs (batch.helpers[i]);
	// All helpers start at once: each checks its own command line for %NAME% (and refuses
	// what Run would change), and where none answers, the jobs of all are taken back at once.
	if (batch.helpers.length < batch.slots && !tracksLeft ())
		takeWaitingJob ();
	while (!batch.inPage && batch.helpers.length < batch.slots && tracksLeft ())
		startHelper (nextTrack ());
}
// An answering helper has the job it runs and the next one waiting, so that it goes on
// without waiting for a turn of the page.
function giveJobs (helper)
{
	while (helper.answered && !helper.gone && helper.jobs.length < 2 && tracksLeft ())
		if (!leaveJob (helper, nextTrack ()))
			return;
}
// At the end of the batch, a job still waiting behind another helper's encode is taken back
// for a processor that has run out of jobs, where that encode has, by the encodes so far,
// more than two seconds to go: more than a new helper takes to start.
function takeWaitingJob ()
{
	var now = new Date ().getTime ();
	var mean = batch.encodes > 0 ? batch.encodeTime / batch.encodes : 0;
	for (var i = 0; i < batch.helpers.length; ++i) {
		var jobs = batch.helpers[i].jobs;
		var last = jobs.length - 1;
		if (last > 0 && !jobs[last].claimed && jobs[0].claimedAt
				&& mean - (now - jobs[0].claimedAt) > 2000 && takeBack (jobs[last])) {
			batch.waiting.push (jobs.pop ());
			return;
		}
	}
}
// Counts the next track as started and gives it its line in the report.
function startTrack ()
{
	var queued = tracks[batch.next++];
	var track = {arg: queued.arg, seconds: queued.seconds, source: queued.source,
		output: queued.output, command: lame_exe + arg_comm + queued.arg,
		line: document.createElement ("span")};
	rep.appendChild (track.line);
	rep.appendChild (document.createElement ("br"));
	// The output's name, and where lame.exe decodes the source into an MP3 what from.
	var name = track.output.substring (track.output.lastIndexOf ("\\") + 1);
	say (track.line, "Run " + batch.next + ": " + (name ? name + (queued.from
		? " (decoded from " + queued.from + ")" : "") + "..." : track.arg));
	return track;
}
function collectFinished ()
{
	var helpers = batch.helpers;
	batch.helpers = [];
	for (var i = 0; i < helpers.length; ++i) {
		collectFromHelper (helpers[i]);
		if (!helpers[i].gone || helpers[i].jobs.length > 0)
			batch.helpers.push (helpers[i]);
	}
}
function finishTrack (track, code)
{
	if (track.claimedAt) {
		batch.encodeTime += new Date ().getTime () - track.claimedAt;
		++batch.encodes;
	}
	var shortfall = code === 0 ? shortOutput (track) : "";
	if (code === "refused")
		say (track.line, " not run: Windows would change a %NAME% in its command");
	else if (code === "ended")
		say (track.line, " error: the helper ended without a result");
	else if (shortfall)
		say (track.line, " error: " + shortfall);
	else
		say (track.line, code ? " error = " + code + track.command : "OK");
	if (code === 0 && !shortfall && deleteOriginals)
		deleteSource (track);
	++batch.done;
}
// Ends the report as soon as every result is in; the batch's folder is removed afterwards.
function endReport ()
{
	batch.ended = new Date ().getTime ();
	// A track taken back from a helper after "Stop" has its line already.
	for (var i = 0; i < batch.waiting.length; ++i)
		say (batch.waiting[i].line, " not run");
	var notRun = tracks.length - batch.next + batch.waiting.length;
	say (rep, notRun ? "Stopped: " + notRun + " of " + tracks.length + " tracks not run." : "Done.");
}
function showProgress ()
{
	var running = 0;
	for (var i = 0; i < batch.helpers.length; ++i)
		for (var j = 0; j < batch.helpers[i].jobs.length; ++j)
			running += batch.helpers[i].jobs[j].claimed ? 1 : 0;
	var seconds = Math.floor ((new Date ().getTime () - batch.began) / 1000);
	batch.progress.nodeValue = batch.done + " of " + tracks.length + " done, "
		+ running + " running, " + Math.floor (seconds / 60) + ":"
		+ (seconds % 60 < 10 ? "0" : "") + seconds % 60;
}
// Adds text to an element of the report as text: nothing in it is ever read as markup.
function say (element, text)
{
	element.appendChild (document.createTextNode (text));
}
function note (text)
{
	say (rep, text);
	rep.appendChild (document.createElement ("br"));
}
// Deletes the source without force, so a read-only file stays, and only once the encode
// has left an output that is not empty; a source still there afterwards is said in the
// report.
function deleteSource (track)
{
	var source = track.source;
	if (!source || !track.output) {
		say (track.line, ", source not deleted: its name was not found");
		return;
	}
	// A name of 260 characters or more stands in its long form (\\?\...), which the file
	// object may not take, nor the name without it: such a source is kept.
	if (source.indexOf ("\\\\?\\") == 0) {
		say (track.line, ", source not deleted: its path is too long for this page: " + source);
		return;
	}
	try {
		if (files.GetFile (track.output).Size > 0)
			files.DeleteFile (source, false);
	} catch (e) {
	}
	if (!files || files.FileExists (source))
		say (track.line, ", source not deleted: " + source);
}
