#include "outputs/output_clash.h"

#include <cstring>
#include <new>

#include "foundation/path_parts.h"
#include "outputs/default_output.h"
#include "outputs/output_namer.h"

const char16_t* OutputPath::FileName() const {
    return text_ + FolderLengthOf(text_, length_);
}

bool TrackOutputs::Fill(const PointerArray<TrackRecord>& tracks, bool decode,
                        const OutputSettings* settings) {
    units_.reset();
    count_ = 0;
    asBefore_ = true;
    if (settings) {
        OutputNamer namer;
        if (!namer.Prepare(*settings, tracks)) return false;
        if (!namer.NamesAsBefore()) return FillFromPattern(tracks, decode, namer);
    }
    const uint32_t count = tracks.Count();
    starts_.reset(new (std::nothrow) uint32_t[uint64_t(count) + 1]);
    std::unique_ptr<OutputPathParts[]> parts(new (std::nothrow) OutputPathParts[count + 1]);
    if (!starts_ || !parts) return false;
    // Measured first, then copied into one block of the final size.
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        starts_[i] = uint32_t(total);
        const TrackRecord* record = tracks.GetAt(i);
        parts[i] = {0, u""};
        if (record && !record->fields[kPath].IsEmpty()) {
            parts[i] = OutputPathPartsOf(*record, decode);
            total += parts[i].baseLength + TextLength(parts[i].suffix);
        }
        if (++total >= UINT32_MAX) return false;
    }
    starts_[count] = uint32_t(total);
    units_.reset(new (std::nothrow) char16_t[total > 0 ? total : 1]);
    if (!units_) return false;
    for (uint32_t i = 0; i < count; ++i) {
        char16_t* out = units_.get() + starts_[i];
        if (parts[i].baseLength > 0) {
            std::memcpy(out, tracks.GetAt(i)->fields[kPath].Text(),
                        parts[i].baseLength * sizeof(char16_t));
            out += parts[i].baseLength;
        }
        for (const char16_t* suffix = parts[i].suffix; *suffix;) *out++ = *suffix++;
        *out = 0;
    }
    count_ = count;
    return true;
}

// Names made from a pattern are not pieces of the sources' paths: each is made once and
// appended to a block that grows by doubling.
void TrackOutputs::LeaveOut(const bool* leftOut) {
    // Moved down in place: each kept output starts no later than it did.
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count_; ++i) {
        const uint32_t start = starts_[i], end = starts_[i + 1];
        if (leftOut[i]) continue;
        if (starts_[kept] != start)
            std::memmove(units_.get() + starts_[kept], units_.get() + start,
                         (end - start) * sizeof(char16_t));
        starts_[kept + 1] = starts_[kept] + (end - start);
        ++kept;
    }
    count_ = kept;
}

bool TrackOutputs::FillFromPattern(const PointerArray<TrackRecord>& tracks, bool decode,
                                   OutputNamer& namer) {
    asBefore_ = false;
    const uint32_t count = tracks.Count();
    starts_.reset(new (std::nothrow) uint32_t[uint64_t(count) + 1]);
    if (!starts_) return false;
    uint64_t capacity = uint64_t(count) * 64 + 1, used = 0;
    units_.reset(new (std::nothrow) char16_t[capacity]);
    if (!units_) return false;
    for (uint32_t i = 0; i < count; ++i) {
        starts_[i] = uint32_t(used);
        uint32_t length = 0;
        const TrackRecord* record = tracks.GetAt(i);
        const char16_t* name = record ? namer.Name(*record, decode, length) : u"";
        if (used + length + 1 > capacity) {
            while (used + length + 1 > capacity) capacity *= 2;
            if (capacity >= UINT32_MAX) return false;
            std::unique_ptr<char16_t[]> grown(new (std::nothrow) char16_t[capacity]);
            if (!grown) return false;
            std::memcpy(grown.get(), units_.get(), used * sizeof(char16_t));
            units_ = std::move(grown);
        }
        std::memcpy(units_.get() + used, name, length * sizeof(char16_t));
        used += length;
        units_[used++] = 0;
    }
    starts_[count] = uint32_t(used);
    count_ = count;
    return true;
}

int64_t FindClashingTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                           SameFileNameTest same, bool* clashing) {
    // Every source and every output is a name; any two names of one file are a clash,
    // whether source and source, output and output, or output and source.
    const uint32_t count = outputs.Count();
    std::unique_ptr<NamedItem[]> names(new (std::nothrow) NamedItem[2 * uint64_t(count) + 1]);
    if (!names) return -1;
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        clashing[i] = false;
        const OutputPath output = outputs.Output(i);
        if (output.IsEmpty()) continue;
        const WideString& source = tracks.GetAt(i)->fields[kPath];
        names[used++] = {source.Text(), source.Length(), i};
        names[used++] = {output.Text(), output.Length(), i};
    }
    return FlagSameFileNames(names.get(), used, same, clashing);
}

namespace {

template <class AppendLine>
WideString ListFlagged(uint32_t count, const bool* flagged, uint32_t shown,
                       const AppendLine& appendLine) {
    WideString list;
    uint32_t listed = 0, more = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (!flagged[i]) continue;
        if (listed == shown) {
            ++more;
            continue;
        }
        if (listed++ > 0) list.Append(u"\r\n");
        appendLine(list, i);
    }
    if (more > 0) {
        WideString rest;
        rest.Format(u"\r\n... und %u weitere", more);
        list.Append(rest);
    }
    return list;
}

}  // namespace

WideString ListClashingTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                              const bool* flagged, uint32_t shown) {
    return ListFlagged(outputs.Count(), flagged, shown, [&](WideString& list, uint32_t i) {
        // An output beside its source is named alone, which keeps the line short; one in
        // another folder with its path.
        list.Append(tracks.GetAt(i)->fields[kPath]);
        list.Append(u" -> ");
        list.Append(outputs.NamedAsBefore() ? outputs.Output(i).FileName()
                                            : outputs.Output(i).Text());
    });
}

WideString ListExistingOutputs(const TrackOutputs& outputs, const bool* flagged, uint32_t shown) {
    return ListFlagged(outputs.Count(), flagged, shown, [&](WideString& list, uint32_t i) {
        list.Append(outputs.Output(i).Text());
    });
}
