#include "launcher/output_clash.h"

#include <cstring>
#include <new>

#include "launcher/call_run.h"

const char16_t* OutputPath::FileName() const {
    uint32_t start = length_;
    while (start > 0 && text_[start - 1] != u'\\') --start;
    return text_ + start;
}

bool TrackOutputs::Fill(const PointerArray<TrackRecord>& tracks, bool decode) {
    delete[] units_;
    delete[] starts_;
    units_ = nullptr;
    count_ = 0;
    const uint32_t count = tracks.Count();
    starts_ = new (std::nothrow) uint32_t[uint64_t(count) + 1];
    if (!starts_) return false;
    // Measured first, then copied into one block of the final size.
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        starts_[i] = uint32_t(total);
        const TrackRecord* record = tracks.GetAt(i);
        if (record && !record->fields[kPath].IsEmpty()) {
            const OutputPathParts parts = OutputPathPartsOf(*record, decode);
            total += parts.baseLength + TextLength(parts.suffix);
        }
        if (++total >= UINT32_MAX) return false;
    }
    starts_[count] = uint32_t(total);
    units_ = new (std::nothrow) char16_t[total > 0 ? total : 1];
    if (!units_) return false;
    for (uint32_t i = 0; i < count; ++i) {
        char16_t* out = units_ + starts_[i];
        const TrackRecord* record = tracks.GetAt(i);
        if (record && !record->fields[kPath].IsEmpty()) {
            const OutputPathParts parts = OutputPathPartsOf(*record, decode);
            std::memcpy(out, record->fields[kPath].Text(), parts.baseLength * sizeof(char16_t));
            out += parts.baseLength;
            for (const char16_t* suffix = parts.suffix; *suffix;) *out++ = *suffix++;
        }
        *out = 0;
    }
    count_ = count;
    return true;
}

int64_t FindClashingTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                           SameFileNameTest same, bool* clashing) {
    // Every source and every output is a name; any two names of one file are a clash,
    // whether source and source, output and output, or output and source.
    const uint32_t count = outputs.Count();
    auto* names = new (std::nothrow) NamedItem[2 * uint64_t(count) + 1];
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
    GroupSameFileNames(names, used, same);
    int64_t found = 0;
    for (uint32_t start = 0; start < used;) {
        const uint32_t end = GroupEnd(names, used, start);
        for (uint32_t k = start; end - start > 1 && k < end; ++k) {
            if (!clashing[names[k].item]) ++found;
            clashing[names[k].item] = true;
        }
        start = end;
    }
    delete[] names;
    return found;
}

WideString ListFlaggedTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                             const bool* flagged, bool withSource, uint32_t shown) {
    WideString list;
    uint32_t listed = 0, more = 0;
    for (uint32_t i = 0; i < outputs.Count(); ++i) {
        if (!flagged[i]) continue;
        if (listed == shown) {
            ++more;
            continue;
        }
        if (listed++ > 0) list.Append(u"\r\n");
        if (withSource) {
            // The output lies beside its source: its name alone keeps the line short.
            list.Append(tracks.GetAt(i)->fields[kPath]);
            list.Append(u" -> ");
            list.Append(outputs.Output(i).FileName());
        } else {
            list.Append(outputs.Output(i).Text());
        }
    }
    if (more > 0) {
        WideString rest;
        rest.Format(u"\r\n... und %u weitere", more);
        list.Append(rest);
    }
    return list;
}
