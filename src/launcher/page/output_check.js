// The length of an encode's output, read from its bytes, against the source's length.
// Where the source's length is known: what is wrong with the output of an encode that returned
// 0, when it is shorter than the source by more than half a second or a hundredth of the
// source (the larger); "" when it is whole. An output whose length cannot be read holds no
// audio the page can tell. Such a source stays: a decoder that stopped early, or a file that
// changed after the drop, gives a short output.
function shortOutput (track)
{
	if (!track.seconds || !track.source || !track.output)
		return "";
	var output = {kind: /\.wav$/i.test (track.output) ? "WAV" : "MP3", seconds: null};
	try {
		output = outputLength (track.output);
	} catch (e) {
	}
	var seconds = output.seconds || 0;
	if (track.seconds - seconds <= Math.max (0.5, track.seconds / 100))
		return "";
	return "the " + output.kind + " holds " + seconds.toFixed (1) + " s of "
		+ track.seconds.toFixed (1) + " s";
}
// The kind of an output (a WAV where it starts with "RIFF", else an MP3) and its length in
// seconds, or null where it cannot be told.
function outputLength (path)
{
	var size = files.GetFile (path).Size;
	var bytes = fileBytes (path);
	try {
		if (bytesText (bytes.at (0, 4)) == "RIFF")
			return {kind: "WAV", seconds: wavSeconds (bytes, size)};
		return {kind: "MP3", seconds: mp3Seconds (bytes, size)};
	} finally {
		bytes.close ();
	}
}
// A file's bytes through the file object, read forward: opened as UTF-16 text, each unit
// holds two bytes, the lower first (Wine's file object keeps every pair; a leading FF FE,
// which it would take for a byte order mark, never starts an MP3 or a WAV). at (offset,
// count) gives the bytes from the offset on, as far as the file goes; an offset before the
// last one asked for gives nothing.
function fileBytes (path)
{
	var stream = files.OpenTextFile (path, 1, false, -1);
	var start = 0, units = "";
	return {
		at: function (offset, count) {
			var first = Math.floor (offset / 2), end = Math.ceil ((offset + count) / 2);
			if (first < start)
				return [];
			if (first >= start + units.length) {
				// Read past, not skipped: Wine's TextStream has no Skip.
				for (var skip = first - start - units.length; skip > 0 && !stream.AtEndOfStream; )
					skip -= stream.Read (Math.min (skip, 65536)).length;
				units = "";
			} else {
				units = units.substring (first - start);
			}
			start = first;
			if (units.length < end - start && !stream.AtEndOfStream)
				units += stream.Read (end - start - units.length);
			var bytes = [];
			for (var i = 0; i < units.length && i < end - start; ++i)
				bytes.push (units.charCodeAt (i) & 0xFF, units.charCodeAt (i) >> 8);
			return bytes.slice (offset - first * 2, offset - first * 2 + count);
		},
		close: function () {
			stream.Close ();
		}
	};
}
function bytesText (bytes)
{
	return String.fromCharCode.apply (null, bytes);
}
// The number of so many bytes from the offset on, the lowest first or (big) the highest.
function bytesNumber (bytes, offset, count, big)
{
	var value = 0;
	for (var i = 0; i < count; ++i)
		value = value * 256 + bytes[offset + (big ? i : count - 1 - i)];
	return value;
}
// A WAV's length: its data chunk's size over the frame size (block align) and the rate.
function wavSeconds (bytes, size)
{
	var align = 0, rate = 0;
	for (var at = 12; at + 8 <= size; ) {
		var chunk = bytes.at (at, 8);
		if (chunk.length < 8)
			return null;
		var length = bytesNumber (chunk, 4, 4, false);
		if (bytesText (chunk.slice (0, 4)) == "fmt ") {
			var format = bytes.at (at + 8, 16);
			if (format.length < 16)
				return null;
			rate = bytesNumber (format, 4, 4, false);
			align = bytesNumber (format, 12, 2, false);
		} else if (bytesText (chunk.slice (0, 4)) == "data") {
			return align && rate ? Math.min (length, size - at - 8) / align / rate : null;
		}
		at += 8 + length + length % 2;
	}
	return null;
}
// An MPEG audio frame's header: its bytes, samples and rate, and what stays the same from
// frame to frame (version, layer, rate); null where the four bytes are no such header.
function mpegFrame (header)
{
	if (header.length < 4 || header[0] != 0xFF || (header[1] & 0xE0) != 0xE0)
		return null;
	var version = header[1] >> 3 & 3, layer = header[1] >> 1 & 3;
	var index = header[2] >> 4, rateIndex = header[2] >> 2 & 3, padding = header[2] >> 1 & 1;
	if (version == 1 || layer == 0 || index == 0 || index == 15 || rateIndex == 3)
		return null;
	// Kilobits per second by layer (III, II, I), for MPEG-1 and for MPEG-2 and 2.5.
	var low = [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160];
	var kbps = (version == 3
		? [[0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
		[0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
		[0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448]]
		: [low, low, [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256]])
		[layer - 1][index];
	var rate = [44100, 48000, 32000][rateIndex] / (version == 3 ? 1 : version == 2 ? 2 : 4);
	var samples = layer == 3 ? 384 : layer == 1 && version != 3 ? 576 : 1152;
	var bytes = layer == 3 ? (Math.floor (12000 * kbps / rate) + padding) * 4
		: Math.floor (samples / 8 * 1000 * kbps / rate) + padding;
	return {bytes: bytes, samples: samples, rate: rate, shape: (header[1] & 0x1E) + rateIndex * 256,
		mono: (header[3] >> 6) == 3, layer: layer, version: version, crc: !(header[1] & 1)};
}
// An MP3's length: the frame count of its first frame's Xing or Info header (which LAME
// writes), else its frames counted one by one; after an ID3v2 tag.
function mp3Seconds (bytes, size)
{
	var at = 0, head = bytes.at (0, 10);
	if (head.length == 10 && bytesText (head.slice (0, 3)) == "ID3")
		at = 10 + ((head[6] & 0x7F) << 21 | (head[7] & 0x7F) << 14 | (head[8] & 0x7F) << 7
			| head[9] & 0x7F) + (head[5] & 0x10 ? 10 : 0);
	var first = mpegFrame (bytes.at (at, 4));
	if (!first)
		return null;
	if (first.layer == 1) {
		var side = first.version == 3 ? (first.mono ? 17 : 32) : (first.mono ? 9 : 17);
		var xing = bytes.at (at + 4 + (first.crc ? 2 : 0) + side, 12);
		var tag = bytesText (xing.slice (0, 4));
		if (xing.length == 12 && (tag == "Xing" || tag == "Info")
				&& bytesNumber (xing, 4, 4, true) & 1)
			return bytesNumber (xing, 8, 4, true) * first.samples / first.rate;
	}
	var frames = 0;
	for (var frame = first; frame && frame.shape == first.shape; ) {
		++frames;
		at += frame.bytes;
		frame = mpegFrame (bytes.at (at, 4));
	}
	return frames * first.samples / first.rate;
}
