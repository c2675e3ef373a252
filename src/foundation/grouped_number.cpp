#include "foundation/grouped_number.h"

void AppendGroupedNumber(WideString& text, uint32_t number) {
    char16_t digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + number % 10);
        number /= 10;
    } while (number > 0);
    char16_t grouped[24];
    int length = 0;
    for (int i = count; i-- > 0;) {
        grouped[length++] = digits[i];
        if (i > 0 && i % 3 == 0) grouped[length++] = u'.';
    }
    grouped[length] = u'\0';
    text.Append(grouped);
}
