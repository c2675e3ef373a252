// The launcher text of large batches: the callRun block, the filled template and its UTF-8
// bytes, timed against writing the same bytes to a file in the same iteration (the I/O limit
// the build cannot beat), both in the thread's CPU time. Counters:
//   lines_ms, fill_ms, utf8_ms, write_ms   the stages and the write, per iteration
//   x_io   time to build and fill the text / time to write its bytes (target: 3 or less)
//   x_10k  (100,000 tracks only) build time / build time at 10,000 tracks (target: 12 or less)
// Usage: benchmarks --benchmark_filter=Launcher --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "foundation/narrow_string.h"
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "launcher/call_run.h"
#include "support/test_text.h"
#include "launcher/launcher_template.h"
#include "outputs/output_namer.h"
#include "tracks/track_record.h"

namespace {

// Names with the characters that need escaping (apostrophes, quotes, ampersands, umlauts),
// so the escaping paths are exercised as in a real collection.
const char16_t* const kArtists[] = {
    u"Die Ärzte",   u"Sinéad O'Connor", u"Guns N' Roses", u"Motörhead",
    u"The Beatles", u"Björk",           u"AC/DC",         u"Simon & Garfunkel",
};
const char16_t* const kAlbums[] = {
    u"Greatest Hits",        u"Live in \"Berlin\"", u"Unplugged",
    u"Die Schönsten Lieder", u"Rock'n'Roll",        u"Debut",
};
const char16_t* const kGenres[] = {u"Rock", u"Pop", u"Punk", u"Folk", u"Metal"};
const char16_t* const kExtensions[] = {u".wav", u".mp3", u".flac", u".ogg"};

// Track i of a large collection: 12 tracks per album, six tags set, a comment on every tenth.
TrackRecord* MakeTrack(uint32_t i) {
    const std::u16string artist = kArtists[(i / 96) % 8];
    const std::u16string album = kAlbums[(i / 12) % 6];
    const std::u16string year = Decimal(1970 + (i / 12) % 50);
    const std::u16string trackNumber = Decimal(i % 12 + 1);
    const std::u16string title = u"Lied Nummer " + Decimal(i);
    const std::u16string path = u"C:\\Users\\Birgit\\Musik\\Sammlung\\" + artist + u"\\" + year +
                                u" - " + album + u"\\" + Decimal(i % 12 + 1, 2) + u" - " + title +
                                kExtensions[i % 4];
    TrackRecord* record = MakeTrackRecord(path.c_str());
    record->fields[kArtist].AssignText(artist.c_str());
    record->fields[kAlbum].AssignText(album.c_str());
    record->fields[kTitle].AssignText(title.c_str());
    record->fields[kYear].AssignText(year.c_str());
    record->fields[kTrackNumber].AssignText(trackNumber.c_str());
    record->fields[kGenre].AssignText(kGenres[i % 5]);
    if (i % 10 == 0) record->fields[kComment].AssignText(u"Remastered 2009; \"Bonus\" track");
    return record;
}

// One collection per size, made once and kept for the whole run.
const PointerArray<TrackRecord>& Tracks(uint32_t count) {
    static std::map<uint32_t, PointerArray<TrackRecord>> collections;
    PointerArray<TrackRecord>& tracks = collections[count];
    if (tracks.Count() == 0)
        for (uint32_t i = 0; i < count; ++i) tracks.Add(MakeTrack(i));
    return tracks;
}

const WideString& LamePath() {
    static const WideString path = [] {
        WideString p;
        p.AssignText(u"C:\\Program Files\\Lame\\lame.exe");
        return p;
    }();
    return path;
}

const WideString& CommonArguments() {
    static const WideString arguments = [] {
        WideString a;
        a.AssignText(u" --priority 0 -b 128 -h --vbr-new -V 4");
        return a;
    }();
    return arguments;
}

std::string ScratchFile() {
    return (std::filesystem::temp_directory_path() / "tonschleuder_launcher_bench.hta").string();
}

// Open, write, close: what the launcher file costs at least (into the page cache, no flush
// to disk, so the limit is as strict as the machine allows).
bool WriteBytes(const std::string& path, const char* bytes, size_t length) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const size_t written = std::fwrite(bytes, 1, length, file);
    return std::fclose(file) == 0 && written == length;
}

// The thread's CPU time, kernel time included (page faults, the copy into the page cache):
// both sides of the ratio are measured alike and stay comparable on a busy machine.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Build seconds per iteration by track count, for the growth counter.
std::map<int64_t, double>& BuildSeconds() {
    static std::map<int64_t, double> seconds;
    return seconds;
}

// The road of the launcher write from the track array to the launcher's bytes, stage by stage
// (the callRun lines; the template filled straight into UTF-8), then the same bytes written.
// Time: the stages together.
void BM_LauncherBuildVsWrite(benchmark::State& state) {
    const auto& tracks = Tracks(static_cast<uint32_t>(state.range(0)));
    const WideString templ = BuiltInLauncherTemplate();
    const std::string path = ScratchFile();
    double stageTotals[2] = {};
    double writeTotal = 0;
    uint64_t bytesTotal = 0;
    for (auto _ : state) {
        double mark = CpuSeconds();
        const auto stageDone = [&](int stage) {
            const double now = CpuSeconds();
            stageTotals[stage] += now - mark;
            mark = now;
            return now;
        };
        const double start = mark;
        const WideString callRuns = BuildCallRunsBlock(tracks, true, false, false);
        stageDone(0);
        const NarrowString bytes =
            FillLauncherTemplateAsUtf8(templ, true, LamePath(), CommonArguments(), callRuns);
        const double end = stageDone(1);
        // Length walks the bytes: outside both timings.
        const uint32_t length = bytes.Length();
        const double writeStart = CpuSeconds();
        if (!WriteBytes(path, bytes.Text(), length)) {
            state.SkipWithError("could not write the scratch file");
            break;
        }
        writeTotal += CpuSeconds() - writeStart;
        state.SetIterationTime(end - start);
        bytesTotal += length;
    }
    std::filesystem::remove(path);
    if (state.iterations() == 0 || writeTotal <= 0) return;
    const double iterations = static_cast<double>(state.iterations());
    const double build = (stageTotals[0] + stageTotals[1]) / iterations;
    state.counters["MB"] = static_cast<double>(bytesTotal) / iterations / 1e6;
    state.counters["lines_ms"] = stageTotals[0] / iterations * 1e3;
    state.counters["fill_utf8_ms"] = stageTotals[1] / iterations * 1e3;
    state.counters["write_ms"] = writeTotal / iterations * 1e3;
    state.counters["x_io"] = build / (writeTotal / iterations);
    BuildSeconds()[state.range(0)] = build;
    if (state.range(0) == 100000 && BuildSeconds().count(10000))
        state.counters["x_10k"] = build / BuildSeconds()[10000];
}
BENCHMARK(BM_LauncherBuildVsWrite)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ReplaceAll over a long text with a match every tenth unit (a path-like text of
// backslashes): linear when the time per unit stays flat from 10,000 to 100,000 units.
void BM_ReplaceAllManyMatches(benchmark::State& state) {
    std::u16string source;
    while (source.size() < static_cast<size_t>(state.range(0))) source += u"\\Ordner 12";
    WideString text;
    text.AssignText(source.c_str());
    for (auto _ : state) {
        const WideString replaced = text.ReplaceAll(u"\\", u"\\\\");
        benchmark::DoNotOptimize(replaced.Text());
    }
    state.counters["ns_per_unit"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReplaceAllManyMatches)->Arg(10000)->Arg(100000);

}  // namespace

namespace {

// Every output of a large batch named from the album pattern into a folder of its own, the
// sources' folders kept: the pattern read, the common folder found, each name built.
void BM_OutputNamesFromPattern(benchmark::State& state) {
    const auto& tracks = Tracks(static_cast<uint32_t>(state.range(0)));
    OutputSettings settings;
    settings.ownFolder = true;
    settings.folder.AssignText(u"E:\\MP3 fürs Auto");
    settings.keepSourceFolders = true;
    settings.pattern.AssignText(u"<Interpret>\\<Jahr> - <Album>\\<Nr> - <Titel>");
    uint64_t units = 0;
    for (auto _ : state) {
        OutputNamer namer;
        if (!namer.Prepare(settings, tracks)) {
            state.SkipWithError("the pattern was refused");
            break;
        }
        for (uint32_t i = 0; i < tracks.Count(); ++i) {
            uint32_t length = 0;
            benchmark::DoNotOptimize(namer.Name(*tracks.GetAt(i), false, length));
            units += length;
        }
    }
    state.counters["units"] = static_cast<double>(units) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OutputNamesFromPattern)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
