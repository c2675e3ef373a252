#include "outputs/name_pattern.h"

#include <new>

#include "foundation/text.h"
#include "outputs/windows_names.h"

namespace {

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

bool IsPathSeparator(char16_t unit) {
    return unit == u'\\';
}

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
            visit.Add(PatternToken{true, field, 0, 0});
            partHasText = anyPart = true;
            at = end + 1;
            continue;
        }
        uint32_t end = at;
        while (end < length && pattern[end] != u'<' && !IsPathSeparator(pattern[end])) ++end;
        visit.Add(PatternToken{false, 0, at, end - at});
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
    void Add(const PatternToken&) const { ++*tokens; }
    void EndPart() const { ++*parts; }
};

struct FillingVisit {
    NamePattern* pattern;
    uint32_t* partStart;
    void Add(const PatternToken& token) const { pattern->tokens[pattern->tokenCount++] = token; }
    void EndPart() const {
        pattern->parts[pattern->partCount++] = {*partStart, pattern->tokenCount - *partStart};
        *partStart = pattern->tokenCount;
    }
};

bool IsAllBlanks(const WideString& value) {
    for (const char16_t* unit = value.Text(); *unit; ++unit)
        if (!IsBlank(*unit)) return false;
    return true;
}

}  // namespace

PatternCheck CheckNamePattern(const char16_t* pattern) {
    uint32_t tokens = 0, parts = 0;
    return ParsePattern(pattern, CountingVisit{&tokens, &parts});
}

bool NamePattern::IsSourceNameAlone() const {
    return partCount == 1 && parts[0].tokenCount == 1 && tokens[0].isField &&
           tokens[0].field == kSourceName;
}

bool ReadNamePattern(const char16_t* pattern, NamePattern& out) {
    out.text.AssignText(pattern);
    uint32_t tokens = 0, parts = 0;
    if (ParsePattern(pattern, CountingVisit{&tokens, &parts}).problem != PatternProblem::kNone)
        return false;
    out.tokens.reset(new (std::nothrow) PatternToken[tokens]);
    out.parts.reset(new (std::nothrow) PatternPart[parts]);
    if (!out.tokens || !out.parts) return false;
    out.tokenCount = out.partCount = 0;
    uint32_t partStart = 0;
    ParsePattern(out.text.Text(), FillingVisit{&out, &partStart});
    return true;
}

void ReadFieldText(const TrackRecord& record, int field, FieldText& out) {
    if (field == kSourceName) {
        // Cut at the last dot of the file name, whatever follows it; the output beside its
        // source is cut by another rule (default_output.h says why).
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
