// Audio files with tags, made by the tests themselves: a few bytes of each format's audio,
// then the tags written by TagLib (natively Debian's libtag1, under Wine the MinGW build).
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include <taglib/tstring.h>

// UTF-16 text as TagLib's string.
TagLib::String FromUtf16(const std::u16string& text);

// Bodies without tags.
void WriteMp3Body(const std::filesystem::path& path);
void WriteWavBody(const std::filesystem::path& path);
void WriteAiffBody(const std::filesystem::path& path);
void WriteFlacBody(const std::filesystem::path& path);
// An M4A file of a file-type box and a movie header only: enough for TagLib to add its tags.
void WriteM4aBody(const std::filesystem::path& path);
// An Ogg Vorbis stream whose comment packet holds the given "KEY=value" entries.
void WriteOggVorbis(const std::filesystem::path& path, const std::vector<std::string>& comments);

// One tag value as TagLib writes it; several entries make a value of several entries.
struct TagEntry {
    std::string key;  // a TagLib property key: TITLE, ARTIST, DATE, ...
    std::vector<std::u16string> values;
};

// Writes the entries through TagLib's property interface into a file made above; false when
// TagLib refused. The MP3 takes an ID3v2.4 tag.
bool WriteProperties(const std::filesystem::path& path, const std::vector<TagEntry>& entries);

// An MP3 with a plain ID3v2 tag of seven values, the way a bench or a GUI test needs many.
bool WriteTaggedMp3(const std::filesystem::path& path, const std::u16string& title,
                    const std::u16string& artist, const std::u16string& album,
                    const std::u16string& track);

// Pictures made of their kind's marks (signature, first chunk or header, filler bytes, end
// mark): whole files as the program judges them, of the given size (at least 64 bytes), their
// filler made from the seed so that two pictures differ.
std::string MakeJpeg(size_t size, char seed = 'j');
std::string MakePng(size_t size, char seed = 'p');
std::string MakeGif(size_t size, char seed = 'g');

// A picture to embed: its ID3v2 / FLAC picture type (3 the front cover, 0 "other") and bytes.
struct TestPicture {
    int type;
    std::string bytes;
};

// Adds the pictures, in their order, to a file made above (by its extension): ID3v2 APIC
// frames (.mp3 as ID3v2.4, .wav, .aiff), FLAC PICTURE blocks, Ogg Vorbis comment pictures, M4A
// covr items (which have no type). False when TagLib refused.
bool AddPictures(const std::filesystem::path& path, const std::vector<TestPicture>& pictures);

// Files made to hurt a reader, each with the title that must still come from it (empty where
// none is left to read).
struct CraftedFile {
    const char* what;
    const char16_t* name;
    std::string bytes;
    std::u16string title;
};

// Nested "moov" atoms (400 KB), CHAP frames nested 100,000 deep, a compressed frame that
// inflates to 1 GiB, an ID3v2 tag of 100,000 frames, and a movie of 400,000 atoms.
std::vector<CraftedFile> MakeCraftedFiles();
