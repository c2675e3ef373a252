// WideString: NUL-terminated UTF-16 text in a heap buffer shared by reference
// count and copied on write. A null string is the empty string.
#pragma once
#include <cstdarg>
#include <cstdint>
#include "foundation/text.h"

class NarrowString;

struct WideStringRecord {
    char16_t* characters;  // null only when the block could not be allocated
    uint32_t capacity;     // units, terminator included
    int32_t referenceCount;
};

// The one read-only empty text that every empty string reads as.
extern const char16_t kEmptyText[1];

class WideString {
  public:
    WideString() = default;
    WideString(const WideString& other);
    WideString& operator=(const WideString& other);
    ~WideString();

    const char16_t* Text() const;
    // Writable view of the characters; only valid after PrepareBuffer or MakeUnique.
    char16_t* Buffer();
    uint32_t Length() const;
    bool IsEmpty() const;

    WideString& Assign(const WideString* source);
    WideString& Assign(const WideString& source) { return Assign(&source); }
    WideString& AssignText(const char16_t* text, uint32_t count = 0xFFFFFFFFu);
    void Clear();
    WideString& Append(const char16_t* text);
    WideString& Append(const WideString& other);
    WideString& Prepend(const char16_t* text);
    WideString ReplaceAll(const char16_t* find, const char16_t* replacement) const;
    WideString& Format(const char16_t* format, ...);
    WideString& FormatList(const char16_t* format, va_list arguments);
    bool PrepareBuffer(uint32_t units);
    void MakeUnique();
    void Truncate(uint32_t index);
    void TrimRight();
    int32_t FindLastChar(char16_t unit) const;
    const char16_t* FindLastCharPointer(char16_t unit) const;

    // Sets this from 8-bit text in the ANSI code page.
    WideString& AssignAnsi(const char* text);
    // The UTF-8 form of this text.
    NarrowString ToUtf8() const;

    // For tests and diagnostics: the record (null for a null string).
    const WideStringRecord* Record() const { return record_; }
    uint32_t Capacity() const { return record_ ? record_->capacity : 0; }

  private:
    // A narrow string or a number never converts to a wide string.
    WideString(const char*) = delete;
    WideString& Append(const char*) = delete;
    WideString& Append(int) = delete;

    void Release();
    bool Reserve(uint32_t neededUnits);

    WideStringRecord* record_ = nullptr;
};
