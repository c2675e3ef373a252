// The helper's script: the page writes these functions out as it (helperScript in jobs.js).
// They reach nothing of the page: each takes the objects it uses as arguments. The page
// calls released, expandedText, writeText and renamed itself as well.
// The helper, a script of its own for wscript.exe: it claims the jobs the page leaves for it
// one after another (a job the page has taken back is gone), runs each command, and leaves
// its exit code under the name the page looks for only once it is complete. It keeps its
// lock open while it lives, so the page sees when it has gone, and claims no job once the
// page has gone. A command that Run would change is not run.
function helper ()
{
	// No time limit for scripts that the user has set ends an encode (Wine cannot set it).
	try {
		WScript.Timeout = 0;
	} catch (e) {
	}
	var shell = new ActiveXObject ("WScript.Shell");
	var files = new ActiveXObject ("Scripting.FileSystemObject");
	var base = WScript.Arguments (0);
	var page = base.replace (/[^\\]+$/, "page.lock");
	var lock = files.CreateTextFile (base + ".lock", true, false);
	// The page ends this command line with %OS%: Run has replaced it where it replaces %NAME%.
	var expands = WScript.Arguments (1) != "%OS%";
	leave (files, base + ".hello", expands ? "1" : "0");
	for (var number = 1; !released (files, page); ++number) {
		var job = base + "-" + number;
		if (!renamed (files, job + ".job", job + ".run", 10000))
			break;
		var input = files.OpenTextFile (job + ".run", 1, false, -1);
		var style = parseInt (input.ReadLine (), 10);
		var command = input.ReadAll ();
		input.Close ();
		var code = "refused";
		if (!expands || expandedText (shell, command) == command) {
			try {
				code = shell.Run (command, style, true);
			} catch (e) {
				code = e.number;
			}
		}
		leave (files, job + ".end", String (code));
	}
	lock.Close ();
}
// Whether the process that held this lock open has ended: only then can it be deleted.
function released (files, lock)
{
	try {
		if (files.FileExists (lock))
			files.DeleteFile (lock);
		return true;
	} catch (e) {
		return false;
	}
}
// The text with %NAME% of every defined variable replaced (without the NUL that Wine's
// ExpandEnvironmentStrings leaves at its end).
function expandedText (shell, text)
{
	var expanded = shell.ExpandEnvironmentStrings (text);
	var end = expanded.indexOf (String.fromCharCode (0));
	return end < 0 ? expanded : expanded.substring (0, end);
}
// Writes a file under its name only once it is complete.
function leave (files, path, text)
{
	writeText (files, path + ".part", text);
	if (!renamed (files, path + ".part", path, 10000))
		throw new Error ("not renamed: " + path);
}
function writeText (files, path, text)
{
	var file = files.CreateTextFile (path, true, true);
	file.Write (text);
	file.Close ();
}
// Renames a file; false where it is not there, or where it stays held for the milliseconds
// given: a virus scanner opens a file just written for a moment, and a rename then fails.
// A file the page is still leaving under this name (.part) is waited for as well. The page
// cannot wait and tries again at a later turn; a helper waits with WScript.Sleep where it
// can (Wine has none: there it tries again at once).
function renamed (files, from, to, patience)
{
	for (var until = new Date ().getTime () + patience; ; ) {
		try {
			files.MoveFile (from, to);
			return true;
		} catch (e) {
		}
		if (new Date ().getTime () >= until
				|| !files.FileExists (from) && !files.FileExists (from + ".part"))
			return false;
		try {
			WScript.Sleep (20);
		} catch (e) {
		}
	}
}
