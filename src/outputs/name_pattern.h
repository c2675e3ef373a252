// The pattern the outputs are named by ("<Interpret>\<Album>\<Nr> - <Titel>"): parts between
// backslashes, each of literal text and fields in angle brackets, letter case aside.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/wide_string.h"
#include "tracks/track_record.h"

enum class PatternProblem {
    kNone,
    kUnknownField,   // a <...> that names no field; PatternCheck::field holds it
    kUnclosedField,  // a '<' without its '>'
    kNoFileName,     // empty, or ending in '\': no name for the file
};
struct PatternCheck {
    PatternProblem problem = PatternProblem::kNone;
    WideString field;  // the unknown field as written, brackets included
};
PatternCheck CheckNamePattern(const char16_t* pattern);

// What a field reads from the track; the source's name is not a tag.
constexpr int kSourceName = -1;

struct PatternToken {
    bool isField;
    int field;       // for a field: a TrackField or kSourceName
    uint32_t start;  // for literal text: where in the pattern
    uint32_t length;
};
struct PatternPart {
    uint32_t firstToken;
    uint32_t tokenCount;
};

// A pattern read once: its tokens in order, and the parts (folders, then the file) they form.
struct NamePattern {
    WideString text;
    std::unique_ptr<PatternToken[]> tokens;
    std::unique_ptr<PatternPart[]> parts;
    uint32_t tokenCount = 0;
    uint32_t partCount = 0;
    // Only "<Quelldatei>": the output takes the source's name.
    bool IsSourceNameAlone() const;
};
// False when the pattern has a problem (CheckNamePattern) or memory ran out.
bool ReadNamePattern(const char16_t* pattern, NamePattern& out);

// A field's text for a name: the track number in two digits where it is a number ("3" and
// "3/12" give "03"), the source's file name without its extension, a value of blanks alone
// as nothing.
struct FieldText {
    const char16_t* text = nullptr;
    uint32_t length = 0;
    char16_t digits[12] = {};
};
void ReadFieldText(const TrackRecord& record, int field, FieldText& out);
