#include "launcher/output_clash.h"

#include <new>

#include "launcher/call_run.h"

bool TrackOutputs::Fill(const PointerArray<TrackRecord>& tracks, bool decode) {
    delete[] outputs_;
    count_ = tracks.Count();
    outputs_ = new (std::nothrow) WideString[count_ > 0 ? count_ : 1];
    if (!outputs_) {
        count_ = 0;
        return false;
    }
    for (uint32_t i = 0; i < count_; ++i) {
        const TrackRecord* record = tracks.GetAt(i);
        if (!record || record->fields[kPath].IsEmpty()) continue;
        outputs_[i] = OutputPathOf(*record, decode);
        if (outputs_[i].IsEmpty()) return false;
    }
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
        const WideString& output = outputs.Output(i);
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
            const char16_t* backslash = outputs.Output(i).FindLastCharPointer(u'\\');
            list.Append(tracks.GetAt(i)->fields[kPath]);
            list.Append(u" -> ");
            list.Append(backslash ? backslash + 1 : outputs.Output(i).Text());
        } else {
            list.Append(outputs.Output(i));
        }
    }
    if (more > 0) {
        WideString rest;
        rest.Format(u"\r\n... und %u weitere", more);
        list.Append(rest);
    }
    return list;
}
