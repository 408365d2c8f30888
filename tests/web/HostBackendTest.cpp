// The web administration over the real engine host and the recording engine: requests from
// the listener's threads reach the engine only under EngineLock and never from the server
// thread, a command's echo comes before the engine's answer, and status, players and rotation
// are read from the engine itself.
#include <httplib.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <thread>

#include "support/HostFixture.h"
#include "support/ModalDriver.h"
#include "web/Crypto.h"
#include "web/HostAdminBackend.h"
#include "web/WebServer.h"

namespace korvane::web {
namespace {

using nlohmann::json;

class HostBackendTest : public test::HostFixture {
  protected:
    // A running host with one named player, id 7, on the blue team as a medic.
    void StartWithPlayer() {
        host = MakeHost(engine);
        ASSERT_EQ(host->Start({}), EngineHost::StartResult::Running);
        engine.QueueEvent("\x01 7");
        engine.QueueEvent(
            "\x03"
            "7 Alice\n1070 3 -1");
        ASSERT_TRUE(test::PumpUntil([&] {
            const auto players = host->PlayerSnapshot();
            return players.size() == 1 && std::string(players[0].name) == "Alice";
        }));
    }

    std::unique_ptr<EngineHost> host;
};

TEST_F(HostBackendTest, ListenerThreadsReachTheEngineUnderTheLockAndTheEchoComesFirst) {
    // Each Tick holds the lock a while, so a call made without it would meet one in progress.
    engine.tickDelayMs = 3;
    StartWithPlayer();
    ConsoleRing ring;
    HostAdminBackend backend(*host);
    WebServer server(backend, ring);
    WebConfig config;
    config.port = 0;
    config.password = HashPassword("right-password", 1000);
    ASSERT_TRUE(server.Start(config).listening);

    std::vector<int> statuses;
    DWORD clientThread = 0;
    std::thread client([&] {
        clientThread = GetCurrentThreadId();
        httplib::Client http("127.0.0.1", server.Port());
        http.set_read_timeout(10);
        const auto login =
            http.Post("/api/login", R"({"password": "right-password"})", "application/json");
        if (!login || login->status != 200) return;
        const std::string cookie = login->get_header_value("Set-Cookie");
        const httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))},
                                          {"X-CSRF-Token", json::parse(login->body)["csrf"]}};
        for (int i = 0; i < 15; ++i)
            for (const char* path : {"/api/status", "/api/players", "/api/rotation"})
                if (const auto answer = http.Get(path, session)) statuses.push_back(answer->status);
        for (const char* body : {R"({"command": "say hi"})", R"({"command": "say again"})"})
            if (const auto answer = http.Post("/api/command", session, body, "application/json"))
                statuses.push_back(answer->status);
        if (const auto answer = http.Post("/api/kick", session, R"({"id": 7})", "application/json"))
            statuses.push_back(answer->status);
    });
    client.join();

    EXPECT_EQ(statuses, std::vector<int>(48, 200));
    EXPECT_EQ(engine.overlappingCalls, 0);
    const DWORD commandThread = engine.ThreadOf("ExecuteCommand say hi");
    ASSERT_NE(commandThread, 0u);
    EXPECT_NE(commandThread, engine.tickThread.load());
    EXPECT_NE(commandThread, GetCurrentThreadId());
    EXPECT_NE(commandThread, clientThread);  // a listener thread, not the client's
    const DWORD kickThread = engine.ThreadOf("KickPlayer 7");
    ASSERT_NE(kickThread, 0u);
    EXPECT_NE(kickThread, engine.tickThread.load());

    // The recording engine answers "say hi" with "set say": each echo precedes its answer,
    // and each command's audit line its echo.
    const std::vector<std::string> lines = host->TakeHandOver().lines;
    const auto at = [&](const std::string& line, size_t from) {
        return std::find(lines.begin() + static_cast<long>(from), lines.end(), line) -
               lines.begin();
    };
    const auto echo = static_cast<size_t>(at("say hi", 0));
    ASSERT_LT(echo + 4, lines.size());
    ASSERT_GT(echo, 0u);
    EXPECT_EQ(lines[echo - 1], "[web 127.0.0.1] say hi");
    EXPECT_EQ(lines[echo + 1], "set say\n");
    EXPECT_EQ(lines[echo + 2], "[web 127.0.0.1] say again");
    EXPECT_EQ(lines[echo + 3], "say again");
    EXPECT_EQ(lines[echo + 4], "set say\n");
    server.Stop();
}

TEST_F(HostBackendTest, StatusPlayersAndRotationAreTheEnginesOwn) {
    StartWithPlayer();
    HostAdminBackend backend(*host);
    // Changed in the engine behind the settings object's back: the web must show these.
    engine.SetVariable("servername", "Night Ops");
    engine.SetVariable("maxplayers", "24");
    const auto status = backend.Status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->serverName, "Night Ops");
    EXPECT_EQ(status->maxPlayers, 24);
    EXPECT_EQ(status->players, 1);
    EXPECT_EQ(status->version, "1.0.5");

    const auto players = backend.Players();
    ASSERT_TRUE(players && players->size() == 1);
    const PlayerRow& alice = players->front();
    EXPECT_EQ(alice.id, 7);
    EXPECT_EQ(alice.name, "Alice");
    EXPECT_EQ(alice.team, "Blue Force");
    EXPECT_EQ(alice.specialty, "Medic");
    EXPECT_EQ(alice.pingMs, 50);  // the recording engine's 0.05 s

    // Entry 13 is missing: entry 14 keeps its own number, which is what changemap takes.
    engine.SetVariable("nummaps", "15");
    engine.SetVariable("map14", "worlds/Extra");
    const auto rotation = backend.Rotation();
    ASSERT_TRUE(rotation);
    ASSERT_EQ(rotation->size(), 14u);
    EXPECT_EQ(rotation->at(12).index, 12);
    EXPECT_EQ(rotation->back().index, 14);
    EXPECT_EQ(rotation->back().name, "worlds/extra");
    EXPECT_TRUE(backend.ChangeMap(14));
    EXPECT_EQ(engine.Commands().back(), "changemap 14");

    host->Shutdown();
    EXPECT_FALSE(backend.Status());
    EXPECT_FALSE(backend.Players());
    EXPECT_FALSE(backend.Rotation());
    EXPECT_FALSE(backend.Execute("status"));
    EXPECT_EQ(engine.callsAfterRelease, 0);
}

}  // namespace
}  // namespace korvane::web
