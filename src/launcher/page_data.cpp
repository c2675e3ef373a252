#include "launcher/page_data.h"

#include "foundation/text.h"

namespace {

// Whether a text ends in an ASCII ending (given in lower case), in any case of its letters.
bool EndsWithNoCase(const char16_t* text, uint32_t length, const char16_t* ending) {
    const uint32_t endingLength = TextLength(ending);
    if (length < endingLength) return false;
    text += length - endingLength;
    for (uint32_t i = 0; i < endingLength; ++i) {
        const char16_t unit = text[i];
        if ((unit >= u'A' && unit <= u'Z' ? char16_t(unit + 0x20) : unit) != ending[i])
            return false;
    }
    return true;
}

}  // namespace

SecondsText SecondsOf(uint32_t milliseconds) {
    SecondsText text;
    text.from = SecondsText::kSize;
    if (milliseconds == 0) {
        text.units[--text.from] = u'0';
        return text;
    }
    for (int digit = 0; digit < 4 || milliseconds > 0; ++digit, milliseconds /= 10) {
        if (digit == 3) text.units[--text.from] = u'.';
        text.units[--text.from] = char16_t(u'0' + milliseconds % 10);
    }
    return text;
}

const char16_t* DecodedFrom(const char16_t* source, uint32_t sourceLength,
                            const char16_t* outputEnd, uint32_t outputEndLength, bool decode) {
    if (decode || !EndsWithNoCase(outputEnd, outputEndLength, u".mp3")) return u"";
    if (EndsWithNoCase(source, sourceLength, u".flac")) return u"FLAC";
    if (EndsWithNoCase(source, sourceLength, u".opus")) return u"Opus";
    if (EndsWithNoCase(source, sourceLength, u".ogg") ||
        EndsWithNoCase(source, sourceLength, u".oga"))
        return u"Ogg";
    return u"";
}
