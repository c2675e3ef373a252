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
    units_.reset();
    count_ = 0;
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
    GroupSameFileNames(names.get(), used, same);
    int64_t found = 0;
    for (uint32_t start = 0; start < used;) {
        const uint32_t end = GroupEnd(names.get(), used, start);
        for (uint32_t k = start; end - start > 1 && k < end; ++k) {
            if (!clashing[names[k].item]) ++found;
            clashing[names[k].item] = true;
        }
        start = end;
    }
    return found;
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
        // The output lies beside its source: its name alone keeps the line short.
        list.Append(tracks.GetAt(i)->fields[kPath]);
        list.Append(u" -> ");
        list.Append(outputs.Output(i).FileName());
    });
}

WideString ListExistingOutputs(const TrackOutputs& outputs, const bool* flagged, uint32_t shown) {
    return ListFlagged(outputs.Count(), flagged, shown, [&](WideString& list, uint32_t i) {
        list.Append(outputs.Output(i).Text());
    });
}
