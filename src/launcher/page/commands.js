// The commands the page runs and what Windows' Run does to them: the encodes run in the page
// when no helper can, the test whether Run would change a command (its %NAME% references), and
// the objects and counts the batch starts from.
function windowStyle ()
{
	return document.getElementById ("CmdView").checked ? 4 : 0;
}
// Runs a command and waits for its end: its exit code, or the error number where it cannot
// be started.
function runCommand (command, style)
{
	try {
		return shell.Run (command.replace (/%/g, percent), style, true);
	} catch (e) {
		return e.number;
	}
}
function runInPage (track)
{
	finishTrack (track, changedByRun (track.command) ? "refused" : runCommand (track.command,
		windowStyle ()));
}
// Whether Run would hand this command on changed: where "%" cannot be written as a
// reference and Run replaces %NAME% of every defined variable. Such a command is not run.
function changedByRun (command)
{
	return percent == "%" && expandedText (shell, command) != command && runExpands ();
}
// Whether Run replaces %NAME% here, as a helper saw it on its command line, or as find.exe
// shows it: it finds the text %OS% in a file only where Run hands that text on unchanged.
// Where neither can tell, Run is taken to replace.
function runExpands ()
{
	if (batch.expands !== null)
		return batch.expands;
	batch.expands = true;
	var probe = null;
	try {
		probe = (batch.folder || files.GetSpecialFolder (2).Path) + "\\Tonschleuder-"
			+ Math.floor (Math.random () * 1000000) + ".txt";
		var text = files.CreateTextFile (probe, true, false);
		text.Write ("%OS%\r\n");
		text.Close ();
		batch.expands = shell.Run ("find.exe \"%OS%\" \"" + probe + "\"", 0, true) != 0;
		files.DeleteFile (probe);
	} catch (e) {
	}
	return batch.expands;
}
function processorCount ()
{
	var count = parseInt (shell.ExpandEnvironmentStrings ("%NUMBER_OF_PROCESSORS%"), 10);
	return count > 0 ? count : 1;
}
function fileSystem ()
{
	try {
		return new ActiveXObject ("Scripting.FileSystemObject");
	} catch (e) {
		return null;
	}
}
// On Windows, Run replaces %NAME% of every defined variable in a command: so each "%"
// is written as a reference to a variable of this process that holds "%". Where none
// can be set (Wine, whose Run replaces nothing), "%" stays as it is. Helpers inherit it.
function percentReference ()
{
	var name = "TONSCHLEUDER_PROZENT";
	try {
		shell.Environment ("Process") (name) = "%";
	} catch (e) {
		return "%";
	}
	var reference = "%" + name + "%";
	return shell.ExpandEnvironmentStrings (reference) == "%" ? reference : "%";
}
