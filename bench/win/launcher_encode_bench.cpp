// Eight encodes, each busy on one processor for a few seconds (the stand-in encoder burns the
// time), run by the launcher's page in Wine's script host: once as it runs them, up to one
// per processor through its helpers, and once one after the other in the page, as the
// earlier launcher did (what it does where no helper can run). Prints both wall times and
// their ratio, and the launcher's own costs: from the page's start until two encodes run, and
// from the last encode's end until the report's last line.
//   tools/wine-run --prefix build/windows/wineprefix --unmanaged
//   build/windows/bench/win/launcher_encode_bench.exe [milliseconds per encode, default 3000]
// With a real encoder instead: ... launcher_encode_bench.exe --encoder <lame.exe> <input.wav>
// (Windows paths); each of the eight tracks is a copy of the input.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/pointer_array.h"
#include "launcher/call_run.h"
#include "launcher/launcher_script.h"
#include "launcher/launcher_template.h"
#include "support/files_win.h"
#include "support/test_text.h"
#include "tracks/track_record.h"

using namespace support;

namespace {

constexpr int kTracks = 8;

double Seconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds since 1601, as the stand-in encoder logs its times.
unsigned long long Since1601() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) /
           10000;
}

// Where the batch's time went besides the encodes: from the start of cscript to the first
// encode, the encodes' own span, and from the last encode's end to the end of the batch; and
// the launcher's own costs: from the page's start (its onload handler) until two encodes run,
// and from the last encode's end until the report's last line ("Done.").
void PrintCosts(const std::vector<std::pair<unsigned long long, unsigned long long>>& times,
                unsigned long long began, unsigned long long ended, const ScriptResult& result) {
    unsigned long long first = ~0ull, second = ~0ull, last = 0, busy = 0;
    for (const auto& [start, end] : times) {
        if (start < first) {
            second = first;
            first = start;
        } else {
            second = std::min(second, start);
        }
        last = std::max(last, end);
        busy += end - start;
    }
    if (last == 0) return;
    std::printf("  encodes, started-ended in s after the start:");
    for (const auto& [start, end] : times)
        std::printf(" %.2f-%.2f", (start - began) / 1000.0, (end - began) / 1000.0);
    std::printf("\n");
    std::printf(
        "  first encode after %llu ms, encodes span %llu ms (%llu ms of encodes), "
        "batch ended %llu ms after the last\n",
        first - began, last - first, busy, ended - last);
    if (result.beginTime != 0 && result.endTime != 0)
        std::printf(
            "  page start to %s encode: %lld ms; last encode's end to the report's end: %lld ms\n",
            second == ~0ull ? "the first" : "the second",
            static_cast<long long>((second == ~0ull ? first : second) - result.beginTime),
            static_cast<long long>(result.endTime - last));
}

unsigned long long Milliseconds(const FILETIME& time) {
    return ((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
           10000;
}

std::u16string OutputPath(const std::u16string& folder, int track) {
    return folder + u"Lied " + Decimal(track) + u".mp3";
}

// A real encoder keeps no log: a thread watches for its outputs, each made as its encode
// starts (Wine gives such a file its last write time as its creation time too), and the
// last write time tells the end.
class OutputWatch {
  public:
    explicit OutputWatch(const std::u16string& folder) : folder_(folder), seen_(kTracks, 0) {
        thread_ = std::thread([this] {
            while (!stop_) {
                for (int i = 0; i < kTracks; ++i)
                    if (seen_[i] == 0 &&
                        GetFileAttributesW(reinterpret_cast<const wchar_t*>(
                            OutputPath(folder_, i + 1).c_str())) != INVALID_FILE_ATTRIBUTES)
                        seen_[i] = Since1601();
                Sleep(5);
            }
        });
    }
    std::vector<std::pair<unsigned long long, unsigned long long>> Times() {
        stop_ = true;
        thread_.join();
        std::vector<std::pair<unsigned long long, unsigned long long>> times;
        for (int i = 0; i < kTracks; ++i) {
            const std::u16string output = OutputPath(folder_, i + 1);
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (seen_[i] != 0 &&
                GetFileAttributesExW(reinterpret_cast<const wchar_t*>(output.c_str()),
                                     GetFileExInfoStandard, &data))
                times.push_back({seen_[i], Milliseconds(data.ftLastWriteTime)});
            DeleteFileW(reinterpret_cast<const wchar_t*>(output.c_str()));
        }
        return times;
    }

  private:
    std::u16string folder_;
    std::vector<unsigned long long> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The launcher for eight sources in the scratch folder, each a copy of the input.
std::string WriteLauncher(const std::u16string& folder, const std::u16string& lame,
                          const std::string& input) {
    PointerArray<TrackRecord> tracks;
    for (int i = 1; i <= kTracks; ++i) {
        const std::u16string source = folder + u"Lied " + Decimal(i) + u".wav";
        WriteBytes(source, input);
        tracks.Add(MakeTrackRecord(source.c_str()));
    }
    WideString lamePath, common;
    lamePath.AssignText(lame.c_str());
    common.AssignText(u" --priority 0 -b 128 -h");
    const WideString text = FillLauncherTemplate(BuiltInLauncherTemplate(), false, lamePath, common,
                                                 BuildCallRunsBlock(tracks, false, false, false));
    const NarrowString bytes = text.ToUtf8();
    return std::string(bytes.Text(), bytes.Length());
}

}  // namespace

int main(int argc, char** argv) {
    const bool real = argc > 3 && std::string(argv[1]) == "--encoder";
    const std::string burn = !real && argc > 1 ? argv[1] : "3000";
    const std::u16string folder = MakeScratchFolder(u"encode-bench");
    const std::u16string lame = folder + u"lame.exe";
    WriteBytes(lame, ReadBytes(real ? FromUtf8(argv[2]) : FromUtf8(TS_STAND_IN_LAME)));
    const std::string launcher =
        WriteLauncher(folder, lame, real ? ReadBytes(FromUtf8(argv[3])) : std::string("audio"));
    const Environment common{{u"TS_STANDIN_LOG", folder + u"stand-in.log"},
                             {u"TS_STANDIN_BURN_MS", FromUtf8(burn)}};
    const std::string what =
        real ? std::string("real encodes of ") + argv[3] : "encodes of " + burn + " ms";

    struct Way {
        const char* name;
        Environment settings;
        double seconds = 0;
    } ways[] = {{"one after the other in the page", {{u"TS_SCRIPT_HOST_OFF", u"1"}}},
                {"up to one per processor", {}}};
    for (Way& way : ways) {
        Environment settings = common;
        settings.insert(settings.end(), way.settings.begin(), way.settings.end());
        const LONGLONG start = Now();
        const unsigned long long began = Since1601();
        OutputWatch watch(folder);
        const ScriptResult result = RunLauncherScript(launcher, folder, settings, Host::kWine, 600);
        const auto outputTimes = watch.Times();
        way.seconds = Seconds(Now() - start);
        const unsigned long long ended = Since1601();
        const bool allRan = real ? result.report.find(u"Done.") != std::u16string::npos &&
                                       result.report.find(u"error") == std::u16string::npos
                                 : ReadStandInLog(folder + u"stand-in.log").size() == kTracks;
        if (!result.finished || !allRan) {
            std::printf("%s: the batch did not finish\n%s\n", way.name, result.output.c_str());
            return 1;
        }
        std::printf("%-34s %d %s: %6.2f s\n", way.name, kTracks, what.c_str(), way.seconds);
        PrintCosts(real ? outputTimes : ReadStandInTimes(folder + u"stand-in.log"), began, ended,
                   result);
        DeleteFileW(reinterpret_cast<const wchar_t*>((folder + u"stand-in.log").c_str()));
    }
    wchar_t processors[16] = L"?";
    GetEnvironmentVariableW(L"NUMBER_OF_PROCESSORS", processors, 16);
    std::printf("ratio, one per processor / one after the other: %.3f (NUMBER_OF_PROCESSORS %ls)\n",
                ways[1].seconds / ways[0].seconds, processors);
    RemoveTree(folder);
    return 0;
}
