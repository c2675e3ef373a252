// The file's tag values as TagLib reads them, made into the program's seven values.
#include <taglib/id3v1genres.h>
#include <taglib/tag.h>
#include <taglib/tfile.h>
#include <taglib/tpropertymap.h>

#include "foundation/string_list.h"
#include "sources/taglib_edge.h"

namespace {

// TagLib's text as UTF-16 on every platform (wchar_t is 32 bits wide outside Windows).
void AddEntry(WideString& value, const TagLib::String& text) {
    if (text.isEmpty()) return;
    const TagLib::ByteVector bytes = text.data(TagLib::String::UTF16LE);
    uint32_t units = static_cast<uint32_t>(bytes.size() / 2);
    if (units > kSourceTagMaxLength) units = kSourceTagMaxLength;
    WideString entry;
    if (!entry.PrepareBuffer(units)) return;
    char16_t* buffer = entry.Buffer();
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    for (uint32_t i = 0; i < units; ++i) {
        buffer[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    }
    AddTagEntry(value, buffer, units);
}

void AddNumber(WideString& value, unsigned int number) {
    if (number != 0) AddEntry(value, TagLib::String::number(static_cast<int>(number)));
}

// Every entry of a key, or only its first.
bool TakeProperty(const TagLib::PropertyMap& properties, const char* key, WideString& value,
                  bool firstOnly) {
    const auto found = properties.find(key);
    if (found == properties.end()) return false;
    for (const TagLib::String& entry : found->second) {
        AddEntry(value, entry);
        if (firstOnly && !value.IsEmpty()) break;
    }
    return !value.IsEmpty();
}

bool HasDescribedComment(const TagLib::PropertyMap& properties) {
    for (const auto& entry : properties) {
        if (entry.first.startsWith("COMMENT:")) return true;
    }
    return false;
}

void NameGenres(WideString& value) {
    if (value.IsEmpty()) return;
    // Each entry of a joined value may be a number of its own.
    StringList entries;
    entries.Split(value.Text(), u"; ");
    WideString named;
    for (uint32_t i = 0; i < entries.Count(); ++i) {
        const WideString& entry = *entries.GetAt(i);
        const int number = GenreNumberOf(entry);
        const TagLib::String name = number >= 0 ? TagLib::ID3v1::genre(number) : TagLib::String();
        if (!name.isEmpty()) {
            AddEntry(named, name);
        } else {
            AddTagEntry(named, entry.Text(), entry.Length());
        }
    }
    value = named;
}

}  // namespace

// The file's tag values field by field. The property map holds every entry of the file's
// main tag; where it lacks a field, TagLib's merged tag supplies it from a further tag (an
// ID3v1 behind an ID3v2, a WAV file's INFO chunk), as TagLib merges them.
void CollectTags(const TagLib::File& file, SourceTags& tags) {
    const TagLib::PropertyMap properties = file.properties();
    const TagLib::Tag* tag = file.tag();
    WideString* fields = tags.fields;
    if (!TakeProperty(properties, "TITLE", fields[kTitle], false) && tag)
        AddEntry(fields[kTitle], tag->title());
    if (!TakeProperty(properties, "ARTIST", fields[kArtist], false) && tag)
        AddEntry(fields[kArtist], tag->artist());
    if (!TakeProperty(properties, "ALBUM", fields[kAlbum], false) && tag)
        AddEntry(fields[kAlbum], tag->album());
    // Only a comment without a description: TagLib's merged comment falls back to a
    // described one ("iTunNORM" and the like).
    if (!TakeProperty(properties, "COMMENT", fields[kComment], true) && tag &&
        !HasDescribedComment(properties))
        AddEntry(fields[kComment], tag->comment());
    if (!TakeProperty(properties, "DATE", fields[kYear], true) && tag)
        AddNumber(fields[kYear], tag->year());
    KeepYearOfDate(fields[kYear]);
    if (!TakeProperty(properties, "TRACKNUMBER", fields[kTrackNumber], true) && tag)
        AddNumber(fields[kTrackNumber], tag->track());
    if (!TakeProperty(properties, "GENRE", fields[kGenre], false) && tag)
        AddEntry(fields[kGenre], tag->genre());
    NameGenres(fields[kGenre]);
}
