#include "tracks/track_numbering.h"

uint32_t FormatDecimal(uint32_t number, char16_t (&text)[11]) {
    char16_t reversed[10];
    uint32_t length = 0;
    do {
        reversed[length++] = static_cast<char16_t>(u'0' + number % 10);
        number /= 10;
    } while (number != 0);
    for (uint32_t i = 0; i < length; ++i) text[i] = reversed[length - 1 - i];
    text[length] = u'\0';
    return length;
}

void NumberTracks(PointerArray<TrackRecord>& tracks) {
    char16_t text[11];
    const uint32_t count = tracks.Count();
    for (uint32_t i = 0; i < count; ++i) {
        TrackRecord* record = tracks.GetAt(i);
        if (record == nullptr) continue;
        const uint32_t length = FormatDecimal(i + 1, text);
        record->fields[kTrackNumber].AssignText(text, length);
        MarkSetByUser(*record, kTrackNumber);
    }
}
