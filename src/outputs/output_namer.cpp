#include "outputs/output_namer.h"

#include <cstring>
#include <new>

#include "foundation/text.h"
#include "foundation/unit_buffer.h"
#include "outputs/common_folder.h"
#include "outputs/default_output.h"
#include "outputs/name_pattern.h"
#include "outputs/windows_names.h"

struct OutputNamer::Compiled {
    NamePattern pattern;
    bool ownFolder = false;
    bool keepSourceFolders = false;
    WideString folder;        // without a backslash at its end
    WideString commonFolder;  // of the sources, without a backslash at its end
    uint32_t suffixLength = 0;
    // Each part as built for one track (start and length in `built`), then the whole path.
    std::unique_ptr<uint32_t[]> partStart, partLength, partCap;
    std::unique_ptr<FieldText[]> values;  // one per token of the pattern
    char16_t* built = nullptr;
    uint32_t builtCapacity = 0, builtUsed = 0;
    char16_t* path = nullptr;
    uint32_t pathCapacity = 0;

    ~Compiled() {
        delete[] built;
        delete[] path;
    }
};

// The folder a track's parts go into: the base (the settings' folder or the source's), then
// what is kept of the source's own folders.
struct OutputNamer::Folder {
    const char16_t* base;
    uint32_t baseLength;
    const char16_t* relative;
    uint32_t relativeLength;
};

namespace {

// Puts units into a namer buffer, cleaned as a name's units are.
struct CleanWriter {
    char16_t* buffer;
    uint32_t& used;
    void Put(const char16_t* text, uint32_t length) {
        for (uint32_t i = 0; i < length; ++i) buffer[used++] = CleanUnit(text[i]);
    }
};

}  // namespace

OutputNamer::OutputNamer() = default;
OutputNamer::~OutputNamer() = default;

bool OutputNamer::Prepare(const OutputSettings& settings, const PointerArray<TrackRecord>& tracks) {
    compiled_.reset(new (std::nothrow) Compiled);
    if (!compiled_) return false;
    Compiled& c = *compiled_;
    if (!ReadNamePattern(settings.pattern.IsEmpty() ? kDefaultNamePattern : settings.pattern.Text(),
                         c.pattern))
        return false;
    const uint32_t partCount = c.pattern.partCount;
    c.partStart.reset(new (std::nothrow) uint32_t[partCount]);
    c.partLength.reset(new (std::nothrow) uint32_t[partCount]);
    c.partCap.reset(new (std::nothrow) uint32_t[partCount]);
    c.values.reset(new (std::nothrow) FieldText[c.pattern.tokenCount]);
    if (!c.values || !c.partStart || !c.partLength || !c.partCap) return false;

    c.ownFolder = settings.ownFolder;
    c.keepSourceFolders = settings.ownFolder && settings.keepSourceFolders;
    if (c.ownFolder) {
        uint32_t length = settings.folder.Length();
        while (length > 0 && settings.folder.Text()[length - 1] == u'\\') --length;
        c.folder.AssignText(settings.folder.Text(), length);
    }
    if (c.keepSourceFolders) c.commonFolder = CommonFolderOf(tracks);
    asBefore_ = !c.ownFolder && c.pattern.IsSourceNameAlone();
    return true;
}

const char16_t* OutputNamer::NameBesideSource(const TrackRecord& record, bool decode,
                                              uint32_t& length) {
    Compiled& c = *compiled_;
    const OutputPathParts parts = OutputPathPartsOf(record, decode);
    const uint32_t suffixLength = TextLength(parts.suffix);
    if (!ReserveUnits(c.path, c.pathCapacity, uint64_t(parts.baseLength) + suffixLength + 1))
        return u"";
    std::memcpy(c.path, record.fields[kPath].Text(), parts.baseLength * sizeof(char16_t));
    std::memcpy(c.path + parts.baseLength, parts.suffix, (suffixLength + 1) * sizeof(char16_t));
    length = parts.baseLength + suffixLength;
    return c.path;
}

// Each part, cleaned and trimmed, into `built`; false when memory ran out.
bool OutputNamer::BuildParts(const TrackRecord& record) {
    Compiled& c = *compiled_;
    FieldText* values = c.values.get();
    c.builtUsed = 0;
    for (uint32_t p = 0; p < c.pattern.partCount; ++p) {
        const PatternPart& part = c.pattern.parts[p];
        const PatternToken* tokens = c.pattern.tokens.get() + part.firstToken;
        // The most the part can take: its literal text and its fields' values.
        uint64_t most = 0;
        int lastKept = -1, lastField = -1, firstField = -1;
        for (uint32_t t = 0; t < part.tokenCount; ++t) {
            if (!tokens[t].isField) {
                most += tokens[t].length;
                continue;
            }
            FieldText& value = values[part.firstToken + t];
            ReadFieldText(record, tokens[t].field, value);
            most += value.length;
            if (firstField < 0) firstField = int(t);
            lastField = int(t);
            if (value.length > 0) lastKept = int(t);
        }
        if (!ReserveUnits(c.built, c.builtCapacity, c.builtUsed + most + 1)) return false;
        const uint32_t start = c.builtUsed;
        CleanWriter writer{c.built, c.builtUsed};
        const char16_t* pattern = c.pattern.text.Text();
        if (firstField < 0) {
            for (uint32_t t = 0; t < part.tokenCount; ++t)
                writer.Put(pattern + tokens[t].start, tokens[t].length);
        } else if (lastKept >= 0) {
            // Text before the first field goes with it, text after the last with that one,
            // and text between two fields with the field before it: each is left out with
            // its field, and so is the text after the last field kept.
            bool keep = values[part.firstToken + firstField].length > 0;
            for (uint32_t t = 0; t < part.tokenCount; ++t) {
                if (tokens[t].isField) {
                    const FieldText& value = values[part.firstToken + t];
                    keep = value.length > 0;
                    if (keep) writer.Put(value.text, value.length);
                    if (int(t) >= lastKept && int(t) != lastField) keep = false;
                    continue;
                }
                if (keep) writer.Put(pattern + tokens[t].start, tokens[t].length);
            }
        }
        uint32_t first = start;
        while (first < c.builtUsed && IsBlank(c.built[first])) ++first;
        uint32_t end = c.builtUsed;
        while (end > first && (IsBlank(c.built[end - 1]) || c.built[end - 1] == u'.')) --end;
        c.partStart[p] = first;
        c.partLength[p] = end - first;
    }
    return true;
}

OutputNamer::Folder OutputNamer::FolderOf(const WideString& source) const {
    const Compiled& c = *compiled_;
    Folder folder{source.Text(), FolderLength(source.Text(), source.Length()), u"", 0};
    if (c.ownFolder) {
        folder.base = c.folder.Text();
        folder.baseLength = c.folder.Length();
        if (c.keepSourceFolders) {
            const uint32_t own = FolderLength(source.Text(), source.Length());
            const uint32_t skip = c.commonFolder.Length();
            if (skip < own) {
                folder.relative = source.Text() + skip;
                folder.relativeLength = own - skip;
            }
        }
    } else if (folder.baseLength == 0 && source.Text()[0] != u'\\') {
        folder.base = u"";
    }
    // A common folder of nothing (sources on two drives): each source's whole folder, its
    // drive as a folder's name ("C:\a" gives "C\a").
    while (folder.relativeLength > 0 && folder.relative[0] == u'\\')
        ++folder.relative, --folder.relativeLength;
    return folder;
}

// Parts cut, longest first, so that the whole path stays within MAX_PATH where the folder
// leaves room for a unit of each; NTFS's limit on one name always holds. fixed: the units
// the parts do not choose. Sets each part's cap; gives what the parts want before the cut.
void OutputNamer::CapParts(uint64_t fixed, uint64_t& wanted) {
    Compiled& c = *compiled_;
    const uint32_t partCount = c.pattern.partCount;
    wanted = 0;
    uint32_t longest = 0;
    for (uint32_t p = 0; p < partCount; ++p) {
        uint32_t size = c.partLength[p] > 0 ? c.partLength[p] : TextLength(kUnknownPart);
        const uint32_t limit = kLongestPart - (p + 1 == partCount ? c.suffixLength : 0);
        if (size > limit) size = limit;
        c.partCap[p] = size;
        wanted += size;
        if (size > longest) longest = size;
    }
    if (fixed + wanted <= kLongestOutputPath || fixed + partCount > kLongestOutputPath) return;
    const uint64_t room = kLongestOutputPath - fixed;
    uint32_t low = 1, high = longest;  // the largest cap that fits
    while (low < high) {
        const uint32_t cap = (low + high + 1) / 2;
        uint64_t total = 0;
        for (uint32_t p = 0; p < partCount; ++p) total += c.partCap[p] < cap ? c.partCap[p] : cap;
        if (total <= room)
            low = cap;
        else
            high = cap - 1;
    }
    // What the even cut leaves over goes to the first parts it cut, a unit each.
    uint64_t left = room;
    for (uint32_t p = 0; p < partCount; ++p) left -= c.partCap[p] < low ? c.partCap[p] : low;
    for (uint32_t p = 0; p < partCount; ++p) {
        if (c.partCap[p] <= low) continue;
        c.partCap[p] = low + (left > 0 ? 1 : 0);
        if (left > 0) --left;
    }
}

// The folder, the parts (each cut to its cap, a device name made harmless) and the suffix,
// into the path buffer, which the caller made large enough.
const char16_t* OutputNamer::Join(const Folder& folder, const char16_t* suffix, uint32_t& length) {
    Compiled& c = *compiled_;
    char16_t* out = c.path;
    uint32_t at = 0;
    if (folder.baseLength > 0 || folder.base[0] == u'\\') {
        std::memcpy(out, folder.base, folder.baseLength * sizeof(char16_t));
        at = folder.baseLength;
        out[at++] = u'\\';
    }
    for (uint32_t i = 0; i < folder.relativeLength; ++i) {
        const char16_t unit = folder.relative[i];
        if (unit == u':' && i == 1 && c.commonFolder.IsEmpty()) continue;
        out[at++] = unit;
    }
    if (folder.relativeLength > 0) out[at++] = u'\\';
    for (uint32_t p = 0; p < c.pattern.partCount; ++p) {
        const char16_t* text = c.built + c.partStart[p];
        uint32_t size = c.partLength[p];
        if (size > c.partCap[p]) {
            size = c.partCap[p];
            if (size > 0 && IsHighSurrogate(text[size - 1])) --size;
            while (size > 0 && (IsBlank(text[size - 1]) || text[size - 1] == u'.')) --size;
        }
        if (size == 0) {
            text = kUnknownPart;
            size = TextLength(kUnknownPart);
        }
        // The file's name is the part and its suffix: "con" would be "con.mp3", a device.
        const uint32_t device = DeviceNameLength(text, size);
        std::memcpy(out + at, text, (device ? device : size) * sizeof(char16_t));
        at += device ? device : size;
        if (device) {
            out[at++] = u'_';
            std::memcpy(out + at, text + device, (size - device) * sizeof(char16_t));
            at += size - device;
        }
        out[at++] = p + 1 == c.pattern.partCount ? u'\0' : u'\\';
    }
    --at;
    std::memcpy(out + at, suffix, (c.suffixLength + 1) * sizeof(char16_t));
    length = at + c.suffixLength;
    return out;
}

const char16_t* OutputNamer::Name(const TrackRecord& record, bool decode, uint32_t& length) {
    length = 0;
    if (!compiled_ || record.fields[kPath].IsEmpty()) return u"";
    if (asBefore_) return NameBesideSource(record, decode, length);
    Compiled& c = *compiled_;
    if (!BuildParts(record)) return u"";
    const char16_t* suffix =
        OutputPathPartsOf(record, decode,
                          c.ownFolder ? OutputPlace::kOwnFolder : OutputPlace::kBesideSource)
            .suffix;
    c.suffixLength = TextLength(suffix);
    const Folder folder = FolderOf(record.fields[kPath]);
    const uint64_t fixed = uint64_t(folder.baseLength) + 1 + folder.relativeLength +
                           (folder.relativeLength ? 1 : 0) + (c.pattern.partCount - 1) +
                           c.suffixLength;
    uint64_t wanted = 0;
    CapParts(fixed, wanted);
    if (!ReserveUnits(c.path, c.pathCapacity,
                      fixed + wanted + 11 * uint64_t(c.pattern.partCount) + 16))
        return u"";
    return Join(folder, suffix, length);
}
