// A full registration of the program's 212 hotkeys, every one filled with its own combination:
// on X11 against a private Xvfb (grabs with their round trips, events processed after each
// slot), and over the fake backend for the cost of the registry itself. Goal on X11: under
// 10 ms per full run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "TempDir.h"
#include "XvfbDisplay.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyPlatform.h"
#include "hotkeys/HotkeyRegistry.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"

namespace vorlune {
namespace {

// 209 slot texts, all different: five modifier words over letters, digits and F1-F12.
std::vector<std::string> SlotTexts() {
    std::vector<std::string> keys;
    for (char c = 'A'; c <= 'Z'; ++c) {
        keys.push_back(std::string(1, c) + "键");
    }
    for (char c = '0'; c <= '9'; ++c) {
        keys.push_back(std::string(1, c) + "键");
    }
    for (int f = 1; f <= 12; ++f) {
        keys.push_back("F" + std::to_string(f) + "键");
    }
    const std::string modifiers[] = {"Ctrl｜", "Alt｜", "Shift｜", "Win｜", ""};
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < 209; ++i) {
        texts.push_back(modifiers[i / keys.size()] + keys[i % keys.size()]);
    }
    return texts;
}

struct Setup {
    test::TempDir dir;
    ProfileFiles files;
    DataFolder data{dir.Path()};
    SettingsStore settings{files, data};
    std::vector<std::string> slotTexts = SlotTexts();

    Setup() {
        settings.Write(setting::kHotkeysOn, "1");
        settings.Write(setting::kPauseHotkey, "Ctrl｜Number0");
        settings.Write(setting::kStopHotkey, "Ctrl｜Number1");
        settings.Write(setting::kMasterHotkey, "Ctrl｜Number2");
    }
};

void Run(benchmark::State& state, HotkeyBackend& backend, bool fromEmpty) {
    Setup setup;
    HotkeyRegistry registry(
        backend, setup.settings,
        [&setup](std::int32_t n) { return setup.slotTexts[static_cast<std::size_t>(n - 1)]; },
        nullptr, [] { QCoreApplication::processEvents(); });
    registry.RegisterAllHotkeys();
    int held = 0;
    for (auto _ : state) {
        if (fromEmpty) {
            state.PauseTiming();
            registry.UnregisterAllHotkeys();
            // A grab of a combination no slot uses waits until the server has done the
            // releases, so that they are not counted.
            backend.Grab(999, {kModControl | kModShift, 'Z'});
            backend.Release(999);
            state.ResumeTiming();
        }
        registry.RegisterAllHotkeys();
    }
    for (std::int32_t id = 1; id <= 886; ++id) {
        held += registry.IsRegistered(id) ? 1 : 0;
    }
    state.counters["held"] = held;
    if (held != 212) {
        state.SkipWithError("not every hotkey was registered");
    }
}

void BM_RegisterAll_X11(benchmark::State& state) {
    HotkeyPlatform platform = CreateHotkeyPlatform("xcb");
    if (!platform.HotkeysAvailable()) {
        state.SkipWithError("no X display");
        return;
    }
    Run(state, *platform.backend, state.range(0) != 0);
}
BENCHMARK(BM_RegisterAll_X11)->Arg(0)->Arg(1)->ArgName("fromEmpty")->Unit(benchmark::kMillisecond);

void BM_RegisterAll_Fake(benchmark::State& state) {
    FakeHotkeyBackend backend;
    Run(state, backend, false);
}
BENCHMARK(BM_RegisterAll_Fake)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlune

int main(int argc, char** argv) {
    vorlune::test::XvfbDisplay display;
    if (!display.Start()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
