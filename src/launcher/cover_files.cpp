#include "launcher/cover_files.h"

#include <new>

bool TrackCoverFiles::Reset(uint32_t count) {
    files_.DeleteAll();
    count_ = 0;
    fileOf_.reset(new (std::nothrow) uint32_t[count > 0 ? count : 1]());
    if (!fileOf_) return false;
    count_ = count;
    return true;
}

uint32_t TrackCoverFiles::AddFile(const WideString& path) {
    WideString* file = new (std::nothrow) WideString(path);
    if (!file || file->Length() != path.Length() || !files_.Add(file)) {
        delete file;
        return 0;
    }
    return files_.Count();
}

void TrackCoverFiles::Give(uint32_t track, uint32_t file) {
    if (track < count_ && file <= files_.Count()) fileOf_[track] = file;
}

const WideString* TrackCoverFiles::Of(uint32_t track) const {
    if (track >= count_ || fileOf_[track] == 0) return nullptr;
    return files_.GetAt(fileOf_[track] - 1);
}

WideString CoverFileName(uint64_t hash, const char16_t* extension) {
    char16_t digits[17];
    for (int i = 15; i >= 0; --i, hash >>= 4) digits[i] = u"0123456789abcdef"[hash & 0xF];
    digits[16] = 0;
    WideString name;
    name.AssignText(digits);
    name.Append(extension);
    return name;
}
