// The cost of one tick of the overlay's refresh cycle at server scale, with and without the
// periodic list refresh, with content that changes (a redraw) or stays (the redraw skipped),
// its growth with the number of players, and a copy of the tick's input bytes for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "ServerScale.h"

namespace sayvane::bench {
namespace {

// Measures single ticks. With `refresh` every measured tick runs the periodic refresh (the
// ticks between two refreshes run untimed); without it, the refresh ticks run untimed and
// every measured tick is a plain one. Recorders are emptied in the untimed part.
void MeasureTicks(benchmark::State& state, ServerSize size, bool refresh, bool changeOrder) {
    ServerScale server(size);
    if (!server.Problem().empty()) {
        state.SkipWithError(server.Problem().c_str());
        return;
    }
    const int redrawsBefore = server.Redraws();
    std::int64_t wrongTicks = 0;
    for (auto _ : state) {
        if (refresh || server.NextTickRefreshes()) {
            state.PauseTiming();
            server.ForgetRecords();
            if (refresh) {
                server.TickUntilRefreshIsDue();
            } else {
                server.Tick(false);
            }
            state.ResumeTiming();
        }
        server.Tick(changeOrder);
        // The refresh sets the counter back to 0; a plain tick counts on.
        wrongTicks += (server.State().RefreshCounter == 0) != refresh ? 1 : 0;
    }
    const auto ticks = static_cast<double>(state.iterations());
    const int redraws = server.Redraws() - redrawsBefore;
    if (wrongTicks != 0) {
        state.SkipWithError("a measured tick did not run the refresh it was meant to (or ran one it should not)");
    } else if (changeOrder && redraws != static_cast<int>(state.iterations())) {
        state.SkipWithError("a tick with new content did not redraw");
    } else if (!changeOrder && redraws != 0) {
        state.SkipWithError("a tick with unchanged content redrew");
    } else if (server.State().lstSpeakers.Count() != static_cast<std::size_t>(size.speakers)) {
        state.SkipWithError("the speakers were not kept listed");
    }
    state.counters["redraws/tick"] = ticks > 0 ? redraws / ticks : 0;
    state.SetComplexityN(size.players);
}

// One tick at 1024 channels and 1024 players; arguments: speakers, periodic refresh (0/1),
// content changing (0/1).
void BM_Tick(benchmark::State& state) {
    MeasureTicks(state, ServerSize{1024, 1024, static_cast<int>(state.range(0))}, state.range(1) != 0,
                 state.range(2) != 0);
}
BENCHMARK(BM_Tick)
    ->ArgNames({"speakers", "refresh", "changing"})
    ->ArgsProduct({{16, 1024}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The server sizes the growth benchmarks run at, with the complexity fitted over them.
void GrowthSizes(benchmark::internal::Benchmark* family) {
    family->ArgName("players")->Arg(128)->Arg(512)->Arg(1024)->Complexity()->Unit(benchmark::kMicrosecond);
}

// The full tick (periodic refresh, every player speaking, new order) as the server grows.
void BM_TickGrowth(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    MeasureTicks(state, ServerSize{1024, players, players}, true, true);
}
BENCHMARK(BM_TickGrowth)->Apply(GrowthSizes);

// The plain tick (no refresh, every player speaking, new order) as the server grows.
void BM_TickGrowthNoRefresh(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    MeasureTicks(state, ServerSize{1024, players, players}, false, true);
}
BENCHMARK(BM_TickGrowthNoRefresh)->Apply(GrowthSizes);

// Measures refresh ticks, each after `change` changed the server (untimed); the ticks in
// between run untimed too.
template <typename Change>
void MeasureRefreshes(benchmark::State& state, ServerSize size, Change change) {
    ServerScale server(size);
    if (!server.Problem().empty()) {
        state.SkipWithError(server.Problem().c_str());
        return;
    }
    std::int64_t wrongTicks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        server.ForgetRecords();
        server.TickUntilRefreshIsDue();
        change(server);
        state.ResumeTiming();
        server.Tick(false);
        wrongTicks += server.State().RefreshCounter == 0 ? 0 : 1;
    }
    if (wrongTicks != 0) {
        state.SkipWithError("a measured tick did not run the periodic refresh");
    } else if (server.State().lstSpeakers.Count() != static_cast<std::size_t>(size.speakers)) {
        state.SkipWithError("the speakers were not kept listed");
    } else if (server.State().lstUsers.Count() != server.ServerPlayers()) {
        state.SkipWithError("the player list does not hold the server's players");
    }
    state.SetComplexityN(size.players);
}

// A refresh after 1 % of the players (at least one) joined, left, moved or were renamed,
// 16 of them speaking.
void BM_RefreshSomeChange(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    MeasureRefreshes(state, ServerSize{1024, players, 16},
                     [players](ServerScale& server) { server.ChangePlayers(std::max(players / 100, 1)); });
}
BENCHMARK(BM_RefreshSomeChange)->Apply(GrowthSizes);

// The worst case: a refresh after every channel and player record changed (every player
// renamed, so all of them leave and join), 16 of them speaking.
void BM_RefreshAllChange(benchmark::State& state) {
    MeasureRefreshes(state, ServerSize{1024, static_cast<int>(state.range(0)), 16},
                     [](ServerScale& server) { server.ChangeEveryRecord(); });
}
BENCHMARK(BM_RefreshAllChange)->Apply(GrowthSizes);

// For scale: a copy of the bytes a refresh tick reads from the library.
void BM_CopyTickInput(benchmark::State& state) {
    std::vector<unsigned char> input(kTickInputBytes);
    for (std::size_t i = 0; i < input.size(); ++i) {
        input[i] = static_cast<unsigned char>(i * 31u);
    }
    std::vector<unsigned char> copy(kTickInputBytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(input.data());
        std::memcpy(copy.data(), input.data(), input.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kTickInputBytes));
}
BENCHMARK(BM_CopyTickInput)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace sayvane::bench

BENCHMARK_MAIN();
