// End-to-end timings of the real dialog at scale, under Wine: 100 files as the baseline,
// then 10,000 and 50,000, each size in a process of its own so that each peak memory
// figure is that size's own. Prints Markdown tables for docs/performance.md.
// Usage: scale_bench [repetitions]        (default 3)
//        scale_bench --size N [repetitions]  one size, raw lines (what the first form runs)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scale/scale_steps.h"

namespace {

const int kSizes[] = {100, 10000, 50000};

std::u16string OwnPath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return reinterpret_cast<const char16_t*>(path);
}

int RunOneSize(int tracks, int repetitions) {
    const SessionResult result = RunSession(tracks, repetitions, OwnPath());
    for (const StepFigure& step : result.steps) {
        std::printf("step\t%s\t%.3f\t%llu\t%llu\n", step.name.c_str(), step.milliseconds,
                    static_cast<unsigned long long>(step.peakWorkingSet),
                    static_cast<unsigned long long>(step.peakPagefileUsage));
    }
    for (const std::string& failure : result.failures) std::printf("fail\t%s\n", failure.c_str());
    return result.failures.empty() ? 0 : 1;
}

// Runs this program for one size and reads its lines back.
bool MeasureInChild(int tracks, int repetitions, SessionResult& result) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::wstring command =
        L"\"" + std::wstring(reinterpret_cast<const wchar_t*>(OwnPath().c_str())) + L"\" --size " +
        std::to_wstring(tracks) + L" " + std::to_wstring(repetitions);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (fields.size() == 5 && fields[0] == "step") {
            StepFigure step;
            step.name = fields[1];
            step.milliseconds = std::atof(fields[2].c_str());
            step.peakWorkingSet = std::strtoull(fields[3].c_str(), nullptr, 10);
            step.peakPagefileUsage = std::strtoull(fields[4].c_str(), nullptr, 10);
            result.steps.push_back(step);
        } else if (fields.size() == 2 && fields[0] == "fail") {
            result.failures.push_back(fields[1]);
        }
    }
    return !result.steps.empty();
}

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

const StepFigure* Find(const SessionResult& result, const std::string& name) {
    for (const StepFigure& step : result.steps)
        if (step.name == name) return &step;
    return nullptr;
}

// How the time grows from 10,000 to 50,000 tracks: the exponent k of n^k.
std::string Growth(double at10k, double at50k) {
    if (at10k < 0.5 || at50k < 0.5) return "flat (under 0.5 ms)";
    const double k = std::log(at50k / at10k) / std::log(5.0);
    const char* verdict = k < 0.5    ? "flat (a fixed cost)"
                          : k < 1.15 ? "linear"
                          : k < 1.5  ? "worse than linear"
                                     : "quadratic";
    char text[64];
    std::snprintf(text, sizeof text, "n^%.2f %s", k, verdict);
    return text;
}

// Two decimals for small figures, one for the rest.
std::string Ms(double milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, milliseconds < 10 ? "%.2f" : "%.1f", milliseconds);
    return text;
}

void PrintTables(const std::map<int, SessionResult>& results, int repetitions) {
    const SessionResult& base = results.at(100);
    const SessionResult& mid = results.at(10000);
    const SessionResult& large = results.at(50000);
    std::printf(
        "Median of %d runs, wall-clock ms under this Wine; each size in a process of "
        "its own.\n\n",
        repetitions);
    std::printf(
        "| step | 100 | 10,000 | 50,000 | 10,000 / 100 | 50,000 / 10,000 | growth "
        "10,000 to 50,000 |\n|---|--:|--:|--:|--:|--:|---|\n");
    for (const StepFigure& step : large.steps) {
        const StepFigure* a = Find(base, step.name);
        const StepFigure* b = Find(mid, step.name);
        if (!a || !b) continue;
        std::printf("| %s | %s | %s | %s | %.1f | %.1f | %s |\n", step.name.c_str(),
                    Ms(a->milliseconds).c_str(), Ms(b->milliseconds).c_str(),
                    Ms(step.milliseconds).c_str(),
                    b->milliseconds / std::max(a->milliseconds, 0.001),
                    step.milliseconds / std::max(b->milliseconds, 0.001),
                    Growth(b->milliseconds, step.milliseconds).c_str());
    }
    std::printf("\nTrack ratios: 10,000 / 100 = 100, 50,000 / 10,000 = 5.\n");

    std::printf(
        "\nPeak memory of the process after each step (MB, PeakWorkingSetSize / "
        "PeakPagefileUsage):\n\n| step | 100 | 10,000 | 50,000 |\n|---|--:|--:|--:|\n");
    for (const StepFigure& step : large.steps) {
        const StepFigure* a = Find(base, step.name);
        const StepFigure* b = Find(mid, step.name);
        if (!a || !b) continue;
        std::printf("| %s | %.0f / %.0f | %.0f / %.0f | %.0f / %.0f |\n", step.name.c_str(),
                    Megabytes(a->peakWorkingSet), Megabytes(a->peakPagefileUsage),
                    Megabytes(b->peakWorkingSet), Megabytes(b->peakPagefileUsage),
                    Megabytes(step.peakWorkingSet), Megabytes(step.peakPagefileUsage));
    }

    std::printf(
        "\nLauncher text against the I/O limit (text built / same bytes written):\n\n"
        "| tracks | build ms | write ms | ratio | write+flush ms | ratio |\n"
        "|--:|--:|--:|--:|--:|--:|\n");
    for (const auto& [tracks, result] : results) {
        double build = 0;
        for (const char* stage :
             {"  launcher text: callRun lines", "  launcher text: template filled into UTF-8"})
            if (const StepFigure* step = Find(result, stage)) build += step->milliseconds;
        const StepFigure* write = Find(result, "  I/O limit: the same bytes written");
        const StepFigure* flushed = Find(result, "  I/O limit: the same bytes written, flushed");
        if (!write || !flushed) continue;
        std::printf("| %d | %s | %s | %.1f | %s | %.1f |\n", tracks, Ms(build).c_str(),
                    Ms(write->milliseconds).c_str(), build / std::max(write->milliseconds, 0.001),
                    Ms(flushed->milliseconds).c_str(),
                    build / std::max(flushed->milliseconds, 0.001));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--size") == 0) {
        const int repetitions = argc >= 4 ? std::max(1, std::atoi(argv[3])) : 3;
        return RunOneSize(std::atoi(argv[2]), repetitions);
    }
    const int repetitions = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 3;
    std::map<int, SessionResult> results;
    bool failed = false;
    for (int tracks : kSizes) {
        std::fprintf(stderr, "scale_bench: %d tracks...\n", tracks);
        SessionResult result;
        if (!MeasureInChild(tracks, repetitions, result)) {
            std::fprintf(stderr, "scale_bench: the run with %d tracks gave no figures\n", tracks);
            return 2;
        }
        for (const std::string& failure : result.failures) {
            std::fprintf(stderr, "scale_bench: %d tracks: check failed: %s\n", tracks,
                         failure.c_str());
            failed = true;
        }
        results[tracks] = result;
    }
    PrintTables(results, repetitions);
    return failed ? 1 : 0;
}
