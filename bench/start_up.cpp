// Start-up of the engine on the demo: from exec to the end of its first frame
// (its first buffer swap, where a preloaded probe ends the process), beside
// the floor program, which opens the same 1024 x 768 window with the same
// OpenGL context and presents one frame. Both run once per round, in
// alternating order, on the virtual X server (when DISPLAY names one) and on
// SDL's offscreen driver without any X server. Counters: the median wall
// time, processor time, peak memory, bytes read and shared objects loaded of
// each side, and the median of the per-round wall-time ratio with its
// quartiles.

#include "bench/paired_rounds.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 15;

struct Ended {
    bool ok = false;
    double wallMs = 0;
    double cpuMs = 0;
    double peakMb = 0;
    double readMb = 0;  // bytes read by the end of the first frame
    double objects = 0; // shared objects loaded by then
};

// The value of the line starting with `key` in the probe's counters (a copy
// of /proc/<pid>/io and its own lines); 0 when absent.
double Counter(const fs::path& counters, const char* key)
{
    std::FILE* file = std::fopen(counters.c_str(), "r");
    if (!file)
        return 0;
    char line[128];
    double value = 0;
    const std::size_t length = std::strlen(key);
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, key, length) == 0)
            value = std::strtod(line + length, nullptr);
    }
    std::fclose(file);
    return value;
}

// The environment of the timed programs: ours without the variables that
// choose a display or drive the programs, then `extra`.
std::vector<std::string> Environment(const std::vector<std::string>& extra)
{
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("SDL_", 0) == 0 || entry.rfind("VEILSTRAND_", 0) == 0
            || entry.rfind("LD_PRELOAD=", 0) == 0)
            continue;
        out.push_back(entry);
    }
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
}

Ended RunToFirstFrame(const char* program, const fs::path& folder, const std::vector<std::string>& environment)
{
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* const argv[] = {const_cast<char*>(program), nullptr};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        execve(program, argv, envp.data());
        _exit(127);
    }
    Ended ended;
    if (pid < 0)
        return ended;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return ended;
    ended.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ended.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    ended.peakMb = usage.ru_maxrss / 1024.0;
    ended.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    ended.readMb = Counter(folder / "first_frame_io.txt", "rchar: ") / (1024.0 * 1024.0);
    ended.objects = Counter(folder / "first_frame_io.txt", "objects: ");
    return ended;
}

// A working folder holding the demo's data by link, with a settings folder
// of its own, so the runs leave nothing in the demo.
struct DemoFolder {
    DemoFolder()
    {
        char pattern[] = "/tmp/vls-start-up-XXXXXX";
        path = mkdtemp(pattern);
        for (const fs::directory_entry& entry : fs::directory_iterator(VLS_DEMO_DIR)) {
            const std::string name = entry.path().filename();
            if (entry.is_regular_file() && name.rfind("resource.", 0) == 0)
                fs::create_symlink(entry.path(), path / name);
        }
        fs::create_directories(path / "config");
    }
    ~DemoFolder() { fs::remove_all(path); }
    fs::path path;
};

void StartUp(benchmark::State& state, bool xServer)
{
    std::vector<std::string> display;
    if (xServer) {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) {
            state.SkipWithError("no DISPLAY: run under xvfb-run for the X server's figures");
            return;
        }
        display.push_back(std::string("DISPLAY=") + name);
    } else {
        display.push_back("SDL_VIDEODRIVER=offscreen");
    }
    const DemoFolder demo;
    std::vector<std::string> extra = display;
    extra.push_back(std::string("LD_PRELOAD=") + VLS_PROBE);
    extra.push_back("VEILSTRAND_CONFIG=" + (demo.path / "config").string());
    extra.push_back("VLS_FIRST_FRAME_IO=" + (demo.path / "first_frame_io.txt").string());
    const std::vector<std::string> environment = Environment(extra);

    bench::PairedRounds rounds;
    std::vector<double> engineCpu, floorCpu, enginePeak, floorPeak, engineRead, floorRead, engineObjects, floorObjects;
    for (auto _ : state) {
        Ended engine, floor;
        const auto ours = [&] {
            engine = RunToFirstFrame(VLS_ENGINE, demo.path, environment);
            return engine.ok;
        };
        const auto theirs = [&] {
            floor = RunToFirstFrame(VLS_FLOOR, demo.path, environment);
            return floor.ok;
        };
        if (!rounds.Measured(state, ours, theirs, [&] { return std::pair{engine.wallMs, floor.wallMs}; }))
            break;
        engineCpu.push_back(engine.cpuMs);
        floorCpu.push_back(floor.cpuMs);
        enginePeak.push_back(engine.peakMb);
        floorPeak.push_back(floor.peakMb);
        engineRead.push_back(engine.readMb);
        floorRead.push_back(floor.readMb);
        engineObjects.push_back(engine.objects);
        floorObjects.push_back(floor.objects);
    }
    rounds.Report(state, 1.0, "ms", "floor", "time_to_floor", false);
    state.counters["ours_cpu_ms"] = bench::SpreadOf(engineCpu).median;
    state.counters["floor_cpu_ms"] = bench::SpreadOf(floorCpu).median;
    state.counters["ours_peak_mb"] = bench::SpreadOf(enginePeak).median;
    state.counters["floor_peak_mb"] = bench::SpreadOf(floorPeak).median;
    state.counters["ours_read_mb"] = bench::SpreadOf(engineRead).median;
    state.counters["floor_read_mb"] = bench::SpreadOf(floorRead).median;
    state.counters["ours_objects"] = bench::SpreadOf(engineObjects).median;
    state.counters["floor_objects"] = bench::SpreadOf(floorObjects).median;
}

void BM_StartUpToFirstFrameXServer(benchmark::State& state) { StartUp(state, true); }
void BM_StartUpToFirstFrameOffscreen(benchmark::State& state) { StartUp(state, false); }

BENCHMARK(BM_StartUpToFirstFrameXServer)->Iterations(kRounds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpToFirstFrameOffscreen)->Iterations(kRounds)->Unit(benchmark::kMillisecond);

} // namespace
