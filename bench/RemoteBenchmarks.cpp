// The cost of taking a busy TeamSpeak 5/6 server's "auth" answer: the text of a server with
// 2,000 clients in view, each with a full property set of about 3.5 KB as the client sends it,
// parsed and made into the server model in one go (the window's thread does this once per
// connection).
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <string>

#include "teamspeak/remote/RemoteModel.h"

namespace sayvane::remote {
namespace {

using nlohmann::json;

// The properties of one client as the real client lists them: a nickname, the flags, and
// many more that Sayvane never reads, about 3.5 KB in all.
json ClientProperties(int id) {
    json properties = {
        {"nickname", "DLH" + std::to_string(1000 + id)},
        {"flagTalking", id % 100 == 0},
        {"inputHardware", true},
        {"outputHardware", true},
        {"inputMuted", false},
        {"outputMuted", false},
        {"away", false},
        {"awayMessage", ""},
        {"uniqueIdentifier", std::string(28, 'u') + "="},
        {"myteamspeakId", std::string(44, 'm')},
        {"country", "DE"},
        {"platform", "Windows"},
        {"version", "6.0.0-beta4.1 [Build: 1750000000]"},
        {"talkPower", 75},
        {"description", std::string(200, 'd')},
        {"badges", "overwolf=0:badges=" + std::string(120, 'b')},
        {"signedBadges", std::string(400, 's')},
        {"integrations", std::string(300, 'i')},
        {"metaData", std::string(200, 'x')},
    };
    for (int i = 0; properties.dump().size() < 3500; ++i) {
        properties["property" + std::to_string(i)] = std::string(40, 'p');
    }
    return properties;
}

std::string BusyAuthAnswer(int clients) {
    json roots = json::array();
    for (int c = 1; c <= 100; ++c) {
        roots.push_back({{"id", std::to_string(c)},
                         {"order", std::to_string(c - 1)},
                         {"parentId", "0"},
                         {"properties", {{"name", "Channel " + std::to_string(c)}, {"topic", ""}}}});
    }
    json infos = json::array();
    for (int id = 1; id <= clients; ++id) {
        infos.push_back({{"id", id}, {"channelId", 1 + id % 100}, {"properties", ClientProperties(id)}});
    }
    const json connection = {{"id", 1},
                             {"clientId", 1},
                             {"status", 4},
                             {"properties", {{"name", "IVAO Benchmark"}}},
                             {"channelInfos", {{"rootChannels", roots}, {"subChannels", json::object()}}},
                             {"clientInfos", infos}};
    const json answer = {{"type", "auth"},
                         {"status", {{"code", 0}, {"message", "ok"}}},
                         {"payload", {{"apiKey", "key"}, {"currentConnectionId", 1}, {"connections", {connection}}}}};
    return answer.dump();
}

void BM_Ts5BusyAuthAnswer(benchmark::State& state) {
    const auto clients = static_cast<int>(state.range(0));
    const std::string text = BusyAuthAnswer(clients);
    for (auto _ : state) {
        RemoteModel model;
        model.Apply(*ParseMessage(text));
        if (model.Tabs().ActiveTab().Clients().size() != static_cast<std::size_t>(clients)) {
            state.SkipWithError("the answer's clients did not all arrive");
            return;
        }
        benchmark::DoNotOptimize(model);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_Ts5BusyAuthAnswer)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sayvane::remote
