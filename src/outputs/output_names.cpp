#include "outputs/output_names.h"

#include <cstring>
#include <new>

#include "foundation/text_services.h"
#include "outputs/default_output.h"

namespace {

// What a pattern's field reads from the track; the source's name is not a tag.
constexpr int kSourceName = -1;

struct FieldName {
    const char16_t* name;
    int field;
};
constexpr FieldName kFieldNames[] = {
    {u"Interpret", kArtist},      {u"Album", kAlbum}, {u"Titel", kTitle},
    {u"Nr", kTrackNumber},        {u"Jahr", kYear},   {u"Genre", kGenre},
    {u"Quelldatei", kSourceName},
};
constexpr int kNoField = -2;

char16_t FoldAscii(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? char16_t(unit - 0x20) : unit;
}

// The field a name between angle brackets stands for, letter case aside; kNoField for none.
int FieldNamed(const char16_t* name, uint32_t length) {
    for (const FieldName& known : kFieldNames) {
        if (TextLength(known.name) != length) continue;
        uint32_t i = 0;
        while (i < length && FoldAscii(name[i]) == FoldAscii(known.name[i])) ++i;
        if (i == length) return known.field;
    }
    return kNoField;
}

bool IsBlank(char16_t unit) {
    return unit == u' ';
}

// Every unit Windows refuses in a name, and the control characters, become '_'.
char16_t CleanUnit(char16_t unit) {
    if (unit < 0x20) return u'_';
    switch (unit) {
        case u'\\':
        case u'/':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return u'_';
        default:
            return unit;
    }
}

bool IsPathSeparator(char16_t unit) {
    return unit == u'\\';
}

struct Token {
    bool isField;
    int field;       // for a field
    uint32_t start;  // for literal text: where in the pattern
    uint32_t length;
};

struct Part {
    uint32_t firstToken;
    uint32_t tokenCount;
};

// Walks a pattern's parts and tokens; stops at the first problem.
template <class Visit>
PatternCheck ParsePattern(const char16_t* pattern, const Visit& visit) {
    PatternCheck check;
    const uint32_t length = TextLength(pattern);
    uint32_t at = 0;
    bool partHasText = false;
    bool anyPart = false;
    while (at < length) {
        const char16_t unit = pattern[at];
        if (IsPathSeparator(unit)) {
            if (partHasText) visit.EndPart();
            partHasText = false;
            ++at;
            continue;
        }
        if (unit == u'<') {
            uint32_t end = at + 1;
            while (end < length && pattern[end] != u'>') ++end;
            if (end == length) {
                check.problem = PatternProblem::kUnclosedField;
                return check;
            }
            const int field = FieldNamed(pattern + at + 1, end - at - 1);
            if (field == kNoField) {
                check.problem = PatternProblem::kUnknownField;
                check.field.AssignText(pattern + at, end - at + 1);
                return check;
            }
            visit.Add(Token{true, field, 0, 0});
            partHasText = anyPart = true;
            at = end + 1;
            continue;
        }
        uint32_t end = at;
        while (end < length && pattern[end] != u'<' && !IsPathSeparator(pattern[end])) ++end;
        visit.Add(Token{false, 0, at, end - at});
        partHasText = anyPart = true;
        at = end;
    }
    // A pattern ending in '\' names folders but no file.
    if (!anyPart || !partHasText) {
        check.problem = PatternProblem::kNoFileName;
        return check;
    }
    visit.EndPart();
    return check;
}

struct CountingVisit {
    uint32_t* tokens;
    uint32_t* parts;
    void Add(const Token&) const { ++*tokens; }
    void EndPart() const { ++*parts; }
};

bool StartsWithDrive(const char16_t* folder) {
    return ((folder[0] >= u'A' && folder[0] <= u'Z') || (folder[0] >= u'a' && folder[0] <= u'z')) &&
           folder[1] == u':';
}

// "\\server\share": the length of the share's root without its last backslash, 0 if none.
uint32_t ShareRootLength(const char16_t* folder) {
    if (folder[0] != u'\\' || folder[1] != u'\\') return 0;
    uint32_t at = 2;
    uint32_t names = 0;
    while (names < 2) {
        const uint32_t start = at;
        while (folder[at] && folder[at] != u'\\') ++at;
        if (at == start) return 0;
        ++names;
        if (names < 2) {
            if (!folder[at]) return 0;
            ++at;
        }
    }
    return at;
}

// Device names Windows keeps for itself, also before an extension: "nul.mp3" is NUL.
bool IsDeviceName(const char16_t* name, uint32_t length) {
    static const char16_t* const kPlain[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
    for (const char16_t* device : kPlain) {
        if (TextLength(device) != length) continue;
        uint32_t i = 0;
        while (i < length && FoldAscii(name[i]) == device[i]) ++i;
        if (i == length) return true;
    }
    if (length != 4) return false;
    const char16_t first = FoldAscii(name[0]), second = FoldAscii(name[1]),
                   third = FoldAscii(name[2]);
    const bool com = first == u'C' && second == u'O' && third == u'M';
    const bool lpt = first == u'L' && second == u'P' && third == u'T';
    const char16_t digit = name[3];
    return (com || lpt) && ((digit >= u'0' && digit <= u'9') || digit == u'\u00B9' ||
                            digit == u'\u00B2' || digit == u'\u00B3');
}

// The length of a part's device name, when it is one (the text before its first dot, blanks
// at its end aside); 0 otherwise.
uint32_t DeviceNameLength(const char16_t* part, uint32_t length) {
    uint32_t end = 0;
    while (end < length && part[end] != u'.') ++end;
    uint32_t name = end;
    while (name > 0 && IsBlank(part[name - 1])) --name;
    return IsDeviceName(part, name) ? name : 0;
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsAllBlanks(const WideString& value) {
    for (const char16_t* unit = value.Text(); *unit; ++unit)
        if (!IsBlank(*unit)) return false;
    return true;
}

// The folder of a path: everything before its last backslash.
uint32_t FolderLength(const char16_t* path, uint32_t length) {
    while (length > 0 && path[length - 1] != u'\\') --length;
    return length > 0 ? length - 1 : 0;
}

}  // namespace

PatternCheck CheckNamePattern(const char16_t* pattern) {
    uint32_t tokens = 0, parts = 0;
    return ParsePattern(pattern, CountingVisit{&tokens, &parts});
}

FolderProblem CheckOutputFolder(const char16_t* folder) {
    const uint32_t length = TextLength(folder);
    if (length == 0) return FolderProblem::kEmpty;
    const bool onDrive = StartsWithDrive(folder) && (length == 2 || folder[2] == u'\\');
    if (!onDrive && ShareRootLength(folder) == 0) return FolderProblem::kNotAbsolute;
    for (uint32_t end = 0; end <= length; ++end) {
        if (end < length && folder[end] != u'\\') continue;
        uint32_t start = end;
        while (start > 0 && folder[start - 1] != u'\\') --start;
        const bool dots = end - start <= 2 && folder[start] == u'.' && folder[end - 1] == u'.';
        if (end > start && !dots && (folder[end - 1] == u'.' || IsBlank(folder[end - 1])))
            return FolderProblem::kPartEndsInDotOrBlank;
    }
    if (length > kLongestOutputFolder) return FolderProblem::kTooLong;
    return FolderProblem::kNone;
}

WideString RootOfFolder(const char16_t* folder) {
    WideString root;
    if (StartsWithDrive(folder)) {
        root.AssignText(folder, 2);
    } else if (const uint32_t share = ShareRootLength(folder)) {
        root.AssignText(folder, share);
    }
    if (!root.IsEmpty()) root.Append(u"\\");
    return root;
}

// ---- the namer ----

namespace {

// The field's text for a name: the track number in two digits where it is a number ("3" and
// "3/12" give "03"), the source's file name without its extension.
struct FieldText {
    const char16_t* text = nullptr;
    uint32_t length = 0;
    char16_t digits[12] = {};
};

}  // namespace

struct OutputNamer::Compiled {
    WideString pattern;
    std::unique_ptr<Token[]> tokens;
    std::unique_ptr<Part[]> parts;
    uint32_t partCount = 0;
    bool ownFolder = false;
    bool keepSourceFolders = false;
    WideString folder;        // without a backslash at its end
    WideString commonFolder;  // of the sources, without a backslash at its end
    // Each part as built for one track (start and length in `built`), then the whole path.
    std::unique_ptr<uint32_t[]> partStart, partLength, partCap;
    std::unique_ptr<FieldText[]> values;  // one per token of the pattern
    char16_t* built = nullptr;
    uint32_t builtCapacity = 0, builtUsed = 0;
    char16_t* path = nullptr;
    uint32_t pathCapacity = 0, pathUsed = 0;

    ~Compiled() {
        delete[] built;
        delete[] path;
    }
};

namespace {

// Growable buffers of the namer: sized by the longest name so far, so a save allocates a few
// times, not once per track.
bool Reserve(char16_t*& buffer, uint32_t& capacity, uint64_t needed) {
    if (needed <= capacity) return true;
    if (needed >= UINT32_MAX / 2) return false;
    const uint32_t grown = uint32_t(needed * 2);
    char16_t* bigger = new (std::nothrow) char16_t[grown];
    if (!bigger) return false;
    if (buffer) std::memcpy(bigger, buffer, capacity * sizeof(char16_t));
    delete[] buffer;
    buffer = bigger;
    capacity = grown;
    return true;
}

struct FillingVisit {
    Token* tokens;
    Part* parts;
    uint32_t* tokenCount;
    uint32_t* partCount;
    uint32_t* partStart;
    void Add(const Token& token) const { tokens[(*tokenCount)++] = token; }
    void EndPart() const {
        parts[*partCount] = {*partStart, *tokenCount - *partStart};
        ++*partCount;
        *partStart = *tokenCount;
    }
};

// The common folder of the sources, letter case aside: the longest run of whole folder
// names every source's folder starts with.
WideString CommonFolderOf(const PointerArray<TrackRecord>& tracks) {
    const char16_t* common = nullptr;
    uint32_t commonLength = 0;
    for (uint32_t i = 0; i < tracks.Count(); ++i) {
        const TrackRecord* record = tracks.GetAt(i);
        if (!record || record->fields[kPath].IsEmpty()) continue;
        const char16_t* path = record->fields[kPath].Text();
        const uint32_t length = FolderLength(path, record->fields[kPath].Length());
        if (!common) {
            common = path;
            commonLength = length;
            continue;
        }
        uint32_t same = 0;
        const uint32_t shorter = length < commonLength ? length : commonLength;
        while (same < shorter &&
               (common[same] == path[same] || UpperUnit(common[same]) == UpperUnit(path[same])))
            ++same;
        if (same == commonLength && (length == commonLength || path[same] == u'\\')) continue;
        if (same == length && common[same] == u'\\') {
            commonLength = length;
            continue;
        }
        uint32_t cut = same;
        while (cut > 0 && common[cut - 1] != u'\\') --cut;
        commonLength = cut > 0 ? cut - 1 : 0;
    }
    WideString folder;
    if (common) folder.AssignText(common, commonLength);
    return folder;
}

const char16_t* OutputSuffix(const TrackRecord& record, bool decode, bool ownFolder) {
    const char16_t* suffix = OutputPathPartsOf(record, decode).suffix;
    // ".mp3.mp3" keeps an MP3 from overwriting itself beside its source; elsewhere it need not.
    if (ownFolder && CompareText(suffix, u".mp3.mp3") == 0) return u".mp3";
    return suffix;
}

}  // namespace

OutputNamer::OutputNamer() = default;
OutputNamer::~OutputNamer() = default;

bool OutputNamer::Prepare(const OutputSettings& settings, const PointerArray<TrackRecord>& tracks) {
    compiled_.reset(new (std::nothrow) Compiled);
    if (!compiled_) return false;
    Compiled& c = *compiled_;
    c.pattern = settings.pattern;
    if (c.pattern.IsEmpty()) c.pattern.AssignText(kDefaultNamePattern);
    uint32_t tokenCount = 0, partCount = 0;
    if (CheckNamePattern(c.pattern.Text()).problem != PatternProblem::kNone) return false;
    ParsePattern(c.pattern.Text(), CountingVisit{&tokenCount, &partCount});
    c.tokens.reset(new (std::nothrow) Token[tokenCount]);
    c.parts.reset(new (std::nothrow) Part[partCount]);
    c.partStart.reset(new (std::nothrow) uint32_t[partCount]);
    c.partLength.reset(new (std::nothrow) uint32_t[partCount]);
    c.partCap.reset(new (std::nothrow) uint32_t[partCount]);
    c.values.reset(new (std::nothrow) FieldText[tokenCount]);
    if (!c.values || !c.tokens || !c.parts || !c.partStart || !c.partLength || !c.partCap)
        return false;
    uint32_t filledTokens = 0, partStart = 0;
    ParsePattern(c.pattern.Text(), FillingVisit{c.tokens.get(), c.parts.get(), &filledTokens,
                                                &c.partCount, &partStart});

    c.ownFolder = settings.ownFolder;
    c.keepSourceFolders = settings.ownFolder && settings.keepSourceFolders;
    if (c.ownFolder) {
        uint32_t length = settings.folder.Length();
        while (length > 0 && settings.folder.Text()[length - 1] == u'\\') --length;
        c.folder.AssignText(settings.folder.Text(), length);
    }
    if (c.keepSourceFolders) c.commonFolder = CommonFolderOf(tracks);
    asBefore_ = !c.ownFolder && c.partCount == 1 && c.parts[0].tokenCount == 1 &&
                c.tokens[0].isField && c.tokens[0].field == kSourceName;
    return true;
}

namespace {

// Puts units into a namer buffer, cleaned as a name's units are.
struct CleanWriter {
    char16_t* buffer;
    uint32_t& used;
    void Put(const char16_t* text, uint32_t length) {
        for (uint32_t i = 0; i < length; ++i) buffer[used++] = CleanUnit(text[i]);
    }
};

void ReadFieldText(const TrackRecord& record, int field, FieldText& out) {
    if (field == kSourceName) {
        const WideString& path = record.fields[kPath];
        const uint32_t folder = FolderLength(path.Text(), path.Length());
        const uint32_t start = folder > 0 || path.Text()[0] == u'\\' ? folder + 1 : 0;
        uint32_t end = path.Length();
        uint32_t dot = end;
        while (dot > start && path.Text()[dot - 1] != u'.') --dot;
        if (dot > start + 1) end = dot - 1;
        out.text = path.Text() + start;
        out.length = end > start ? end - start : 0;
        return;
    }
    const WideString& value = record.fields[field];
    out.text = value.Text();
    out.length = IsAllBlanks(value) ? 0 : value.Length();
    if (field != kTrackNumber || out.length == 0) return;
    uint32_t digits = 0;
    while (digits < out.length && out.text[digits] >= u'0' && out.text[digits] <= u'9') ++digits;
    if (digits == 0 || (digits < out.length && out.text[digits] != u'/')) return;
    uint32_t first = 0;
    while (first + 1 < digits && out.text[first] == u'0') ++first;
    const uint32_t significant = digits - first;
    if (significant > 10) return;
    uint32_t at = 0;
    if (significant < 2) out.digits[at++] = u'0';
    for (uint32_t i = first; i < digits; ++i) out.digits[at++] = out.text[i];
    out.text = out.digits;
    out.length = at;
}

}  // namespace

const char16_t* OutputNamer::Name(const TrackRecord& record, bool decode, uint32_t& length) {
    length = 0;
    if (!compiled_ || record.fields[kPath].IsEmpty()) return u"";
    Compiled& c = *compiled_;
    const WideString& source = record.fields[kPath];
    if (asBefore_) {
        const OutputPathParts parts = OutputPathPartsOf(record, decode);
        const uint32_t suffixLength = TextLength(parts.suffix);
        if (!Reserve(c.path, c.pathCapacity, uint64_t(parts.baseLength) + suffixLength + 1))
            return u"";
        std::memcpy(c.path, source.Text(), parts.baseLength * sizeof(char16_t));
        std::memcpy(c.path + parts.baseLength, parts.suffix, (suffixLength + 1) * sizeof(char16_t));
        length = parts.baseLength + suffixLength;
        return c.path;
    }

    // Each part, cleaned and trimmed, into `built`.
    FieldText* values = c.values.get();
    c.builtUsed = 0;
    for (uint32_t p = 0; p < c.partCount; ++p) {
        const Part& part = c.parts[p];
        const Token* tokens = c.tokens.get() + part.firstToken;
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
        if (!Reserve(c.built, c.builtCapacity, c.builtUsed + most + 1)) return u"";
        const uint32_t start = c.builtUsed;
        CleanWriter writer{c.built, c.builtUsed};
        const char16_t* pattern = c.pattern.Text();
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

    // The folder the parts go into.
    const char16_t* suffix = OutputSuffix(record, decode, c.ownFolder);
    const uint32_t suffixLength = TextLength(suffix);
    const char16_t* base = source.Text();
    uint32_t baseLength = FolderLength(source.Text(), source.Length());
    const char16_t* relative = u"";
    uint32_t relativeLength = 0;
    if (c.ownFolder) {
        base = c.folder.Text();
        baseLength = c.folder.Length();
        if (c.keepSourceFolders) {
            const uint32_t folder = FolderLength(source.Text(), source.Length());
            uint32_t skip = c.commonFolder.Length();
            if (skip < folder) {
                relative = source.Text() + skip;
                relativeLength = folder - skip;
            }
        }
    } else if (baseLength == 0 && source.Text()[0] != u'\\') {
        base = u"";
    }
    // A common folder of nothing (sources on two drives): each source's whole folder, its
    // drive as a folder's name ("C:\a" gives "C\a").
    while (relativeLength > 0 && relative[0] == u'\\') ++relative, --relativeLength;

    // Parts cut, longest first, so that the whole path stays within MAX_PATH where the folder
    // leaves room for a unit of each; NTFS's limit on one name always holds.
    uint64_t fixed = uint64_t(baseLength) + 1 + relativeLength + (relativeLength ? 1 : 0) +
                     (c.partCount - 1) + suffixLength;
    uint64_t wanted = 0;
    uint32_t longest = 0;
    for (uint32_t p = 0; p < c.partCount; ++p) {
        uint32_t size = c.partLength[p] > 0 ? c.partLength[p] : TextLength(kUnknownPart);
        const uint32_t limit = kLongestPart - (p + 1 == c.partCount ? suffixLength : 0);
        if (size > limit) size = limit;
        c.partCap[p] = size;
        wanted += size;
        if (size > longest) longest = size;
    }
    if (fixed + wanted > kLongestOutputPath && fixed + c.partCount <= kLongestOutputPath) {
        const uint64_t room = kLongestOutputPath - fixed;
        uint32_t low = 1, high = longest;  // the largest cap that fits
        while (low < high) {
            const uint32_t cap = (low + high + 1) / 2;
            uint64_t total = 0;
            for (uint32_t p = 0; p < c.partCount; ++p)
                total += c.partCap[p] < cap ? c.partCap[p] : cap;
            if (total <= room)
                low = cap;
            else
                high = cap - 1;
        }
        // What the even cut leaves over goes to the first parts it cut, a unit each.
        uint64_t left = room;
        for (uint32_t p = 0; p < c.partCount; ++p) left -= c.partCap[p] < low ? c.partCap[p] : low;
        for (uint32_t p = 0; p < c.partCount; ++p) {
            if (c.partCap[p] <= low) continue;
            c.partCap[p] = low + (left > 0 ? 1 : 0);
            if (left > 0) --left;
        }
    }

    if (!Reserve(c.path, c.pathCapacity, fixed + wanted + 11 * uint64_t(c.partCount) + 16))
        return u"";
    char16_t* out = c.path;
    uint32_t at = 0;
    if (baseLength > 0 || base[0] == u'\\') {
        std::memcpy(out, base, baseLength * sizeof(char16_t));
        at = baseLength;
        out[at++] = u'\\';
    }
    for (uint32_t i = 0; i < relativeLength; ++i) {
        const char16_t unit = relative[i];
        if (unit == u':' && i == 1 && c.commonFolder.IsEmpty()) continue;
        out[at++] = unit;
    }
    if (relativeLength > 0) out[at++] = u'\\';
    for (uint32_t p = 0; p < c.partCount; ++p) {
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
        out[at++] = p + 1 == c.partCount ? u'\0' : u'\\';
    }
    --at;
    std::memcpy(out + at, suffix, (suffixLength + 1) * sizeof(char16_t));
    length = at + suffixLength;
    return out;
}
