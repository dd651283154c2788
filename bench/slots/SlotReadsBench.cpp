// The INI reads of a start-up: the 627 slot reads of a full grid load (name, reference and
// hotkey of 209 slots) and the 212 hotkey-text reads of a full registration, on a list with
// every key filled. Goal: under 5 ms for both together.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/GbkText.h"
#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace {

std::string MakeProgramFolder() {
    std::string dir = (std::filesystem::temp_directory_path() / "vorlune-bench-XXXXXX").string();
    ::mkdtemp(dir.data());
    std::filesystem::create_directories(dir + "/Sounds/Common");
    std::string list;
    for (int n = 1; n <= vorlune::kSlotCount; ++n) {
        list += "[音效" + std::to_string(n) + "]\r\n名称=音效名称" + std::to_string(n) +
                "\r\ndz=音效" + std::to_string(n) + "｜[取运行目录]\\Sounds\\Common\\声音" +
                std::to_string(n) + ".mp3\r\nkjj=Ctrl｜F" + std::to_string(n % 12 + 1) + "键\r\n";
    }
    std::ofstream(dir + "/Sounds/Common/list.ini", std::ios::binary) << vorlune::Utf8ToGbk(list);
    std::ofstream(dir + "/config.ini", std::ios::binary) << vorlune::Utf8ToGbk(
        "[是否设置快捷按钮]\r\n值=1\r\n[音效快键控制]\r\n值=Ctrl｜F1键\r\n"
        "[音效声场控制]\r\n值=Ctrl｜F2键\r\n[音效声场停止]\r\n值=Ctrl｜F3键\r\n");
    return dir;
}

void FullLoadAndRegistrationReads(benchmark::State& state) {
    const std::string dir = MakeProgramFolder();
    vorlune::ProfileFiles files;  // a fresh cache, as at start-up, is built in the first run
    const vorlune::ProgramFolder folder(dir);
    const vorlune::DataFolder data(dir);
    vorlune::SlotStore slots(files, data, folder);
    vorlune::SettingsStore settings(files, data);
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (int n = 1; n <= vorlune::kSlotCount; ++n) {
            bytes += slots.ReadSlotName(n, "+").size();
            bytes += slots.ReadSlotRef(n).size();
            bytes += slots.ReadSlotHotkey(n).size();
        }
        bytes += settings.ReadInt(vorlune::setting::kHotkeysOn);
        for (int n = 1; n <= vorlune::kSlotCount; ++n) {
            bytes += slots.ReadSlotHotkey(n).size();
        }
        bytes += settings.Read(vorlune::setting::kMasterHotkey).size();
        bytes += settings.Read(vorlune::setting::kPauseHotkey).size();
        bytes += settings.Read(vorlune::setting::kStopHotkey).size();
    }
    benchmark::DoNotOptimize(bytes);
    std::filesystem::remove_all(dir);
}
BENCHMARK(FullLoadAndRegistrationReads)->Unit(benchmark::kMillisecond);

// The first load after start, with the GBK tables and the parse cache still cold.
void ColdFirstLoad(benchmark::State& state) {
    const std::string dir = MakeProgramFolder();
    const vorlune::ProgramFolder folder(dir);
    const vorlune::DataFolder data(dir);
    for (auto _ : state) {
        vorlune::ProfileFiles files;
        vorlune::SlotStore slots(files, data, folder);
        std::size_t bytes = 0;
        for (int n = 1; n <= vorlune::kSlotCount; ++n) {
            bytes += slots.ReadSlotName(n, "+").size() + slots.ReadSlotRef(n).size() +
                     slots.ReadSlotHotkey(n).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(ColdFirstLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
