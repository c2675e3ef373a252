// StringList: the trimmed pieces of a split text, as owned WideStrings.
#pragma once
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"

class StringList {
  public:
    uint32_t Count() const { return items_.Count(); }
    WideString* GetAt(uint32_t index) const { return items_.GetAt(index); }
    bool AddPiece(const char16_t* text, uint32_t count);
    uint32_t Split(const char16_t* text, const char16_t* separator);
    void DeleteAll() { items_.DeleteAll(); }

  private:
    PointerArray<WideString> items_;
};
