#include "launcher/launcher_template.h"

#include <vector>

#include "foundation/utf8.h"

#include "launcher/script_literal.h"

const char16_t kTemplateFileName[] = u"\\Tonschleuder-Vorlage.htm";

const char16_t kTemplateNotHtmlMessage[] = u"Die Vorlagendatei %s\r\n\r\n ist keine HTML-Datei!";
// Format writes a '%' that starts no directive of its own as it stands.
const char16_t kTemplateNoPlaceholderMessage[] =
    u"Der Vorlagendatei %s\r\n\r\n fehlt mindestens einer der Platzhalter %lame_exe%, "
    u"%arg_comm% oder %callRuns%!";
const char16_t kTemplateNoMemoryMessage[] =
    u"Die Vorlagendatei %s\r\n\r\n wurde wegen Speichermangel nicht geöffnet!";

WideString BuiltInLauncherTemplate() {
    WideString text;
    text.AssignAnsi(kBuiltInLauncherTemplate);
    return text;
}

TemplateVerdict CheckTemplateBytes(const NarrowString& bytes) {
    if (bytes.FindNoCase("html") < 0) return TemplateVerdict::kNotHtml;
    static const char* const kTested[] = {"%lame_exe%", "%arg_comm%", "%callRuns%"};
    for (const char* placeholder : kTested)
        if (bytes.Find(placeholder) >= 0) return TemplateVerdict::kAccepted;
    return TemplateVerdict::kNoPlaceholder;
}

namespace {
struct Placeholder {
    const char16_t* name;
    uint32_t nameLength;
    const char16_t* value;
    uint32_t valueLength;
};

// The placeholder that starts at this point of the template, or null.
const Placeholder* PlaceholderAt(const char16_t* at, const Placeholder* placeholders, int count) {
    for (int i = 0; i < count; ++i) {
        const Placeholder& candidate = placeholders[i];
        uint32_t matched = 0;
        while (matched < candidate.nameLength && at[matched] == candidate.name[matched]) ++matched;
        if (matched == candidate.nameLength) return &candidate;
    }
    return nullptr;
}

// One left-to-right walk over the template's own text, cutting it into its own pieces and
// the values that replace its placeholders: a value that happens to hold a placeholder's
// name (a "+" text with %callRuns%, say) is inserted as it is and never filled in again,
// which would paste the whole block into a script literal. Empty when no placeholder is
// found.
std::vector<TextPiece> FilledPieces(const WideString& templ, const Placeholder* placeholders,
                                    int count) {
    std::vector<TextPiece> pieces;
    const char16_t* text = templ.Text();
    const char16_t* pieceStart = text;
    for (const char16_t* at = text; *at;) {
        const Placeholder* found = *at == u'%' ? PlaceholderAt(at, placeholders, count) : nullptr;
        if (!found) {
            ++at;
            continue;
        }
        pieces.push_back({pieceStart, uint32_t(at - pieceStart)});
        pieces.push_back({found->value, found->valueLength});
        at += found->nameLength;
        pieceStart = at;
    }
    if (!pieces.empty()) pieces.push_back({pieceStart, TextLength(pieceStart)});
    return pieces;
}

// The four placeholders with the values of a run. Both the path and the arguments stand
// inside double-quoted script literals.
struct FilledValues {
    FilledValues(bool deleteOriginals, const WideString& lamePath,
                 const WideString& commonArguments, const WideString& callRuns)
        : lameLiteral(EscapeScriptBreakers(lamePath.ReplaceAll(u"\\", u"\\\\"))),
          argumentsLiteral(EscapeScriptBreakers(
              commonArguments.ReplaceAll(u"\\", u"\\\\").ReplaceAll(u"\"", u"\\\""))),
          placeholders{
              {u"%delOrig%", 9, deleteOriginals ? u"1" : u"0", 1},
              {u"%lame_exe%", 10, lameLiteral.Text(), lameLiteral.Length()},
              {u"%arg_comm%", 10, argumentsLiteral.Text(), argumentsLiteral.Length()},
              {u"%callRuns%", 10, callRuns.Text(), callRuns.Length()},
          } {}
    FilledValues(const FilledValues&) = delete;
    FilledValues& operator=(const FilledValues&) = delete;

    const WideString lameLiteral;
    const WideString argumentsLiteral;
    const Placeholder placeholders[4];
};
}  // namespace

WideString FillLauncherTemplate(const WideString& templ, bool deleteOriginals,
                                const WideString& lamePath, const WideString& commonArguments,
                                const WideString& callRuns) {
    const FilledValues values(deleteOriginals, lamePath, commonArguments, callRuns);
    const std::vector<TextPiece> pieces = FilledPieces(templ, values.placeholders, 4);
    WideString result;
    if (pieces.empty()) return result.Assign(templ);
    uint64_t length = 0;
    for (const TextPiece& piece : pieces) length += piece.length;
    if (length >= UINT32_MAX || !result.PrepareBuffer(static_cast<uint32_t>(length))) return result;
    char16_t* out = result.Buffer();
    for (const TextPiece& piece : pieces) {
        CopyTextN(out, piece.text, piece.length);
        out += piece.length;
    }
    *out = 0;
    return result;
}

NarrowString FillLauncherTemplateAsUtf8(const WideString& templ, bool deleteOriginals,
                                        const WideString& lamePath,
                                        const WideString& commonArguments,
                                        const WideString& callRuns, SideBySide sideBySide) {
    const FilledValues values(deleteOriginals, lamePath, commonArguments, callRuns);
    std::vector<TextPiece> pieces = FilledPieces(templ, values.placeholders, 4);
    if (pieces.empty()) pieces.push_back({templ.Text(), templ.Length()});
    return JoinAsUtf8(pieces.data(), uint32_t(pieces.size()), sideBySide);
}
