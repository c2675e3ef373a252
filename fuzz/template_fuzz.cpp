// A template file's bytes through the acceptance check and the fill: the verdict follows the
// two rules (html in any case, one placeholder exactly), every placeholder of the template's
// own text is replaced by its value as the script literal must hold it, and nothing else in
// the text changes.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher/launcher_template.h"
#include "launcher_decoder.h"

namespace {

constexpr const char* kTarget = "template";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Only 'h' and 'H' upper-case to 'H' in the ANSI code page, and so on for the other letters.
int32_t FindHtmlAnyCase(const std::string& text) {
    for (size_t i = 0; i + 4 <= text.size(); ++i) {
        if (LowerAscii(text[i]) == 'h' && LowerAscii(text[i + 1]) == 't' &&
            LowerAscii(text[i + 2]) == 'm' && LowerAscii(text[i + 3]) == 'l')
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t IndexOf(const std::string& text, const char* needle) {
    const size_t at = text.find(needle);
    return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

void CheckVerdict(const NarrowString& bytes) {
    const std::string text = Str(bytes);  // up to the first NUL, as the check reads it
    auto where = [&] { return "template bytes '" + text.substr(0, 200) + "'"; };
    const int32_t html = FindHtmlAnyCase(text);
    FUZZ_CHECK(kTarget, bytes.FindNoCase("html") == html, where());
    bool placeholder = false;
    for (const char* name : {"%lame_exe%", "%arg_comm%", "%callRuns%"}) {
        const int32_t at = IndexOf(text, name);
        FUZZ_CHECK(kTarget, bytes.Find(name) == at, where() + ", finding " + name);
        placeholder = placeholder || at >= 0;
    }
    const TemplateVerdict expected = html < 0       ? TemplateVerdict::kNotHtml
                                     : !placeholder ? TemplateVerdict::kNoPlaceholder
                                                    : TemplateVerdict::kAccepted;
    FUZZ_CHECK(kTarget, CheckTemplateBytes(bytes) == expected, where());
}

// The text a value becomes inside a double-quoted script literal, taken from the fill itself
// with a template of that one placeholder (the other values are their own names, so that
// nothing filled in later could change it).
std::u16string LiteralOfLamePath(bool deleteOriginals, const WideString& lamePath) {
    WideString templ, arguments, callRuns;
    templ.AssignText(u"%lame_exe%");
    arguments.AssignText(u"%arg_comm%");
    callRuns.AssignText(u"%callRuns%");
    return Str(FillLauncherTemplate(templ, deleteOriginals, lamePath, arguments, callRuns));
}

std::u16string LiteralOfArguments(bool deleteOriginals, const WideString& arguments) {
    WideString templ, lamePath, callRuns;
    templ.AssignText(u"%arg_comm%");
    callRuns.AssignText(u"%callRuns%");
    return Str(FillLauncherTemplate(templ, deleteOriginals, lamePath, arguments, callRuns));
}

// The script engine reads the literal back to exactly the value.
void CheckLiteral(const std::u16string& literal, const std::u16string& value, const char* name) {
    const std::u16string quoted = u"\"" + literal + u"\"";
    size_t pos = 0;
    const auto read = ReadScriptLiteral(quoted, pos);
    auto where = [&] {
        return std::string(name) + " '" + Printable(value) + "' written as '" + Printable(literal) +
               "'";
    };
    FUZZ_CHECK(kTarget, read.has_value() && pos == quoted.size(), where());
    FUZZ_CHECK(kTarget, *read == value, where() + " reads back as '" + Printable(*read) + "'");
}

WideString Wide(const std::u16string& text) {
    WideString wide;
    wide.AssignText(text.c_str());
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // A flag byte; the Lame.exe path, the common arguments and the callRuns block, each ended
    // by a NUL byte; then the template file's bytes, NUL bytes and all.
    const bool deleteOriginals = data[0] & 1;
    const std::vector<std::string> fields = SplitFields(data + 1, size - 1, 4);
    auto decode = [](const std::string& field) {
        return DecodeLenient(reinterpret_cast<const uint8_t*>(field.data()), field.size());
    };
    const std::u16string lamePath = decode(fields[0]);
    const std::u16string arguments = decode(fields[1]);
    const std::u16string callRuns = decode(fields[2]);
    const std::string& fileBytes = fields[3];

    // The file as the program reads it: the bytes and a NUL behind them.
    NarrowString bytes;
    if (!bytes.PrepareBuffer(static_cast<uint32_t>(fileBytes.size()))) return 0;
    std::memcpy(bytes.Buffer(), fileBytes.data(), fileBytes.size());
    bytes.Buffer()[fileBytes.size()] = 0;
    CheckVerdict(bytes);

    WideString templ;
    templ.AssignAnsi(bytes.Text());
    const std::u16string templText = Str(templ);

    const std::u16string lameLiteral = LiteralOfLamePath(deleteOriginals, Wide(lamePath));
    const std::u16string argumentsLiteral = LiteralOfArguments(deleteOriginals, Wide(arguments));
    // A Lame.exe path that exists holds no double quote.
    if (lamePath.find(u'"') == std::u16string::npos)
        CheckLiteral(lameLiteral, lamePath, "Lame.exe path");
    CheckLiteral(argumentsLiteral, arguments, "common arguments");

    const WideString filled = FillLauncherTemplate(templ, deleteOriginals, Wide(lamePath),
                                                   Wide(arguments), Wide(callRuns));
    FUZZ_CHECK(kTarget, Str(templ) == templText, "the template changed");
    // One walk over the template's own text: each placeholder found there gives way to its
    // value, and a value that holds a placeholder's name is not filled in again.
    const std::u16string names[] = {u"%delOrig%", u"%lame_exe%", u"%arg_comm%", u"%callRuns%"};
    const std::u16string values[] = {deleteOriginals ? u"1" : u"0", lameLiteral, argumentsLiteral,
                                     callRuns};
    std::u16string expected;
    for (size_t at = 0; at < templText.size();) {
        int found = -1;
        for (int i = 0; i < 4 && found < 0; ++i)
            if (templText.compare(at, names[i].size(), names[i]) == 0) found = i;
        if (found < 0) {
            expected += templText[at++];
            continue;
        }
        expected += values[found];
        at += names[found].size();
    }
    FUZZ_CHECK(kTarget, Str(filled) == expected,
               "template '" + Printable(templText.substr(0, 200)) + "' filled as '" +
                   Printable(Str(filled).substr(0, 400)) + "', expected '" +
                   Printable(expected.substr(0, 400)) + "'");

    // The launcher's bytes, made without the filled text: those of the text, surrogates and all.
    const NarrowString utf8 = FillLauncherTemplateAsUtf8(templ, deleteOriginals, Wide(lamePath),
                                                         Wide(arguments), Wide(callRuns));
    const NarrowString textUtf8 = filled.ToUtf8();
    FUZZ_CHECK(
        kTarget,
        std::string(utf8.Text(), utf8.Length()) == std::string(textUtf8.Text(), textUtf8.Length()),
        "template '" + Printable(templText.substr(0, 200)) + "' gives other bytes");
    return 0;
}
