// NarrowString: 8-bit text with the same sharing rules as WideString.
#pragma once
#include <cstdint>

struct NarrowStringRecord {
    char* characters;
    uint32_t capacity;  // bytes, terminator included
    int32_t referenceCount;
};

class NarrowString {
  public:
    NarrowString() = default;
    NarrowString(const NarrowString& other);
    NarrowString& operator=(const NarrowString& other);
    ~NarrowString();

    const char* Text() const;
    char* Buffer();
    uint32_t Length() const;
    bool IsEmpty() const;

    NarrowString& Assign(const NarrowString* source);
    void Clear();
    bool PrepareBuffer(uint32_t bytes);
    void MakeUnique();
    void Truncate(uint32_t index);
    int32_t Find(const char* needle) const;
    int32_t FindNoCase(const char* needle) const;

    const NarrowStringRecord* Record() const { return record_; }
    uint32_t Capacity() const { return record_ ? record_->capacity : 0; }

  private:
    NarrowString(const char16_t*) = delete;

    void Release();
    bool Reserve(uint32_t neededBytes);

    NarrowStringRecord* record_ = nullptr;
};
