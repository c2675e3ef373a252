#include "sources/listed_names.h"

#include "sources/program_files.h"

namespace {

// Audio that lame.exe reads, and audio it does not that players know (named at the save).
constexpr const char* kAudioExtensions[] = {
    "mp3",  "mp2",  "mp1", "wav",  "wave", "rf64", "bwf", "aif", "aiff", "aifc",
    "flac", "ogg",  "oga", "opus", "m4a",  "m4b",  "aac", "wma", "ape",  "wv",
    "mpc",  "alac", "ac3", "dts",  "tta",  "dsf",  "dff", "mka", "au",   "snd"};
// What a user keeps beside an album (pictures, texts, playlists, launchers, videos,
// archives): no encoder reads it.
constexpr const char* kOtherExtensions[] = {
    "jpg", "jpeg", "jpe", "png", "gif", "bmp", "tif", "tiff", "webp", "heic", "ico",  "txt",
    "nfo", "log",  "cue", "md",  "rtf", "pdf", "doc", "docx", "htm",  "html", "xml",  "ini",
    "url", "db",   "sfv", "md5", "ffp", "lrc", "m3u", "m3u8", "pls",  "wpl",  "xspf", "asx",
    "hta", "tmp",  "mp4", "mkv", "avi", "mov", "zip", "rar",  "7z"};

char16_t LowerAscii(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? char16_t(unit - u'A' + u'a') : unit;
}

bool SameLetters(const char16_t* text, uint32_t length, const char* lower) {
    uint32_t i = 0;
    for (; i < length && lower[i] != '\0'; ++i) {
        if (LowerAscii(text[i]) != char16_t(lower[i])) return false;
    }
    return i == length && lower[i] == '\0';
}

}  // namespace

ListedName JudgeListedName(const char16_t* name, uint32_t length) {
    uint32_t dot = length;
    while (dot > 0 && name[dot - 1] != u'.') --dot;
    // No extension, or a name that is one (".flac"): the content says.
    if (dot <= 1) return ListedName::kAskContent;
    for (const char* extension : kAudioExtensions) {
        if (SameLetters(name + dot, length - dot, extension)) return ListedName::kAudio;
    }
    for (const char* extension : kOtherExtensions) {
        if (SameLetters(name + dot, length - dot, extension)) return ListedName::kNotAudio;
    }
    return ListedName::kAskContent;
}

bool IsListedContent(EncoderInput input) {
    switch (input) {
        case EncoderInput::kMpegAudio:
        case EncoderInput::kWave:
        case EncoderInput::kAiff:
        case EncoderInput::kFlac:
        case EncoderInput::kOgg:
            return true;
        default:
            return false;
    }
}

bool IsLeftOutFolder(const char16_t* name, uint32_t length) {
    const char16_t* cover = kCoverFolderName;
    uint32_t i = 0;
    for (; i < length && cover[i] != u'\0'; ++i) {
        if (LowerAscii(name[i]) != LowerAscii(cover[i])) return false;
    }
    return i == length && cover[i] == u'\0';
}
