// Reading user.reg: files of 1,000 to 10,000 values in one key. The time per
// value stays flat when reading is linear in the file's size.

#include "platform/win32/registry/reg_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

std::string SettingsText(int values)
{
    std::string text = "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n";
    char line[96];
    for (int i = 0; i < values; ++i) {
        std::snprintf(line, sizeof line, "\"Value%d\"=dword:%08x\n\"Text%d\"=\"C:\\\\Games\\\\%d\"\n", i, i, i, i);
        text += line;
    }
    return text;
}

void ParseSettings(benchmark::State& state)
{
    const int values = static_cast<int>(state.range(0));
    const std::string text = SettingsText(values / 2);
    for (auto _ : state) {
        std::string error;
        auto document = vls::win32::ParseRegistryText(text, &error);
        benchmark::DoNotOptimize(document);
    }
    state.SetItemsProcessed(state.iterations() * values);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(ParseSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
