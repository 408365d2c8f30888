// The simulated players as the host sees them: the exact event messages, the join, details
// and leave sequences, kicks, the player limit, pings, the pace of the console, the flood
// test and the close request.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <set>
#include <string>

#include "EngineTestSupport.h"
#include "ServerEngine.h"

// Counts heap allocations so that a test can check the steady-state tick allocates nothing.
// The replacements pair malloc with free; the compiler cannot see that through inlining.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
unsigned long g_allocations = 0;
}
void* operator new(size_t size) {
    ++g_allocations;
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}

namespace korvane::test {
namespace {

// The host's player table, fed only by events: keyed by the low 16 bits of the id, a join
// makes a fresh entry, an update fills in known ids only.
struct HostTable {
    std::map<uint16_t, DecodedPlayer> players;
    int broken = 0;         // messages that did not decode strictly
    int unknownUpdate = 0;  // update groups for ids the table did not hold

    void Apply(const std::string& message) {
        DecodedEvent event = Decode(message);
        if (!event.ok) {
            ++broken;
            return;
        }
        if (event.type == 1) {
            DecodedPlayer fresh;
            fresh.id = event.id;
            fresh.name = "NEWPLAYER";
            fresh.team = KORVANE_UNASSIGNED;
            players[static_cast<uint16_t>(event.id)] = fresh;
        } else if (event.type == 2) {
            players.erase(static_cast<uint16_t>(event.id));
        } else if (event.type == 3) {
            for (const DecodedPlayer& group : event.players) {
                auto found = players.find(static_cast<uint16_t>(group.id));
                if (found == players.end()) {
                    ++unknownUpdate;
                    return;
                }
                found->second = group;
            }
        }
    }
};

TEST(EventMessages, EachKindIsExactlyDecodable) {
    EventCollector sink;
    EventChannel events;
    events.PlayerJoined(7);  // nobody listens yet: nothing is sent
    events.SetSink(&sink);
    events.PlayerJoined(7);
    events.PlayerLeft(65535);
    events.BeginUpdate();
    events.AddToUpdate(7, "Alice", KORVANE_TEAM_BLUE, 3);
    events.AddToUpdate(8, "Old Man Finn", KORVANE_TEAM_RED, KORVANE_SPECIALTY_UNCHOSEN);
    events.AddToUpdate(9, std::string(40, 'x'), KORVANE_TEAM_SPECTATORS, 0);
    events.AddToUpdate(10, "two\nlines\r", KORVANE_TEAM_RED, 1);
    events.SendUpdate();
    events.BeginUpdate();
    events.SendUpdate();
    events.ConsoleText("[%s] %s", "Alice", "gg");
    events.ConsoleText("%s", std::string(3000, 'y').c_str());
    events.ConsoleText("a\nb");
    events.Close();

    const std::vector<std::string>& m = sink.messages;
    ASSERT_EQ(m.size(), 8u);
    EXPECT_EQ(m[0], "\x01 7");
    EXPECT_EQ(m[1], "\x02 65535");
    EXPECT_EQ(m[2],
              "\x03"
              "7 Alice\n1070 3 "
              "8 Old Man Finn\n1071 8 "
              "9 " +
                  std::string(30, 'x') +
                  "\n1072 0 "
                  "10 two lines \n1071 1 -1");
    EXPECT_EQ(m[3], "\x03-1");
    EXPECT_EQ(m[4], "\x06[Alice] gg\n");
    EXPECT_EQ(m[5].size(), 1u + 1023u + 1u);
    EXPECT_EQ(m[6],
              "\x06"
              "a b\n");
    EXPECT_EQ(m[7], "\x07");

    DecodedEvent update = Decode(m[2]);
    ASSERT_TRUE(update.ok);
    ASSERT_EQ(update.players.size(), 4u);
    EXPECT_EQ(update.players[1].name, "Old Man Finn");
    EXPECT_EQ(update.players[1].specialty, 8);
    for (const std::string& message : m) EXPECT_TRUE(Decode(message).ok) << message;
}

TEST(Players, FirstArrivalsJoinThenAnnounceThemselves) {
    CoreFixture f;
    f.Run(4);
    EXPECT_EQ(f.events.messages.size(), 0u);
    f.Play(9000);
    ASSERT_EQ(f.core.CurrentGame().PlayerCount(), 4);
    HostTable host;
    std::set<long> joined;
    for (const std::string& message : f.events.messages) {
        DecodedEvent event = Decode(message);
        ASSERT_TRUE(event.ok) << message;
        if (event.type == 1) joined.insert(event.id);
        // Details never come before the join they belong to.
        for (const DecodedPlayer& player : event.players) EXPECT_TRUE(joined.count(player.id));
        host.Apply(message);
    }
    EXPECT_EQ(joined, (std::set<long>{1, 2, 3, 4}));
    EXPECT_EQ(host.unknownUpdate, 0);
    for (const auto& [key, player] : host.players) {
        EXPECT_NE(player.name, "NEWPLAYER");
        EXPECT_LE(player.name.size(), 30u);
        EXPECT_TRUE(player.team >= KORVANE_TEAM_BLUE && player.team <= KORVANE_TEAM_SPECTATORS);
        EXPECT_TRUE(player.specialty >= 0 && player.specialty <= KORVANE_SPECIALTY_UNCHOSEN);
        EXPECT_TRUE(f.console.Saw(player.name)) << player.name;
    }
}

TEST(Players, AnHourOfComingAndGoingKeepsTheHostTableRight) {
    CoreFixture f;
    f.Run(6, 8);
    HostTable host;
    std::set<long> everJoined;
    size_t seen = 0;
    int most = 0;
    for (int minute = 0; minute < 60; ++minute) {
        f.Play(60000);
        for (; seen < f.events.messages.size(); ++seen) {
            const std::string& message = f.events.messages[seen];
            DecodedEvent event = Decode(message);
            if (event.type == 1) {
                EXPECT_TRUE(everJoined.insert(event.id).second) << "id reused";
            }
            host.Apply(message);
        }
        most = std::max(most, f.core.CurrentGame().PlayerCount());
    }
    EXPECT_EQ(host.broken, 0);
    EXPECT_EQ(host.unknownUpdate, 0);
    EXPECT_LE(most, 8);
    EXPECT_GT(everJoined.size(), 8u);  // people came and went
    for (long id : everJoined) EXPECT_TRUE(id >= 1 && id < 1000) << id;
    EXPECT_GT(f.events.CountOfType(6), 30u);  // chat
    EXPECT_TRUE(f.console.Saw(" killed "));
    EXPECT_TRUE(f.console.Saw("left the game") || f.console.Saw("timed out"));

    // What the host shows is what the engine holds.
    f.Play(5000);  // the latest arrival has announced itself
    for (; seen < f.events.messages.size(); ++seen) host.Apply(f.events.messages[seen]);
    const Roster& roster = f.core.CurrentGame().Players();
    ASSERT_EQ(host.players.size(), static_cast<size_t>(roster.Count()));
    for (const Player& player : roster.All()) {
        const DecodedPlayer& shown = host.players[static_cast<uint16_t>(player.id)];
        if (!player.announced) {
            EXPECT_EQ(shown.name, "NEWPLAYER");
            continue;
        }
        EXPECT_EQ(shown.name, player.name);
        EXPECT_EQ(shown.team, player.team);
        EXPECT_EQ(shown.specialty, player.specialty);
    }
}

TEST(Players, ChurnReplacesThatManyPlayersAMinute) {
    CoreFixture f;
    f.Run(20, 32);
    f.Play(60000);
    f.core.ExecuteCommand("botchurn 120");
    const size_t leftBefore = f.events.CountOfType(2);
    int fewest = 64;
    for (int second = 0; second < 60; ++second) {
        f.Play(1000);
        fewest = std::min(fewest, f.core.CurrentGame().PlayerCount());
    }
    const size_t left = f.events.CountOfType(2) - leftBefore;
    EXPECT_GE(left, 110u);
    EXPECT_LE(left, 130u);
    EXPECT_GE(fewest, 18);  // each place is taken again at once
}

TEST(Players, KickAndRemoveKnownAndUnknownIds) {
    CoreFixture f;
    f.Run(0);
    f.core.ExecuteCommand("addbot Bob the Builder");
    f.core.ExecuteCommand("ADDPLAYER");
    ASSERT_EQ(f.core.CurrentGame().PlayerCount(), 2);
    EXPECT_EQ(f.events.messages, (std::vector<std::string>{"\x01 1", "\x01 2"}));
    f.Play(3000);
    f.events.messages.clear();

    EXPECT_EQ(f.core.KickPlayer(1), 1);
    EXPECT_EQ(f.events.messages, std::vector<std::string>{"\x02 1"});
    EXPECT_TRUE(f.console.Saw("Player Bob the Builder was kicked"));
    f.events.messages.clear();
    f.console.lines.clear();
    EXPECT_EQ(f.core.KickPlayer(1), 0);
    EXPECT_EQ(f.core.KickPlayer(-1), 0);
    f.core.ExecuteCommand("removeplayer 77");
    f.core.ExecuteCommand("removeplayer x");
    EXPECT_TRUE(f.events.messages.empty());
    EXPECT_EQ(f.console.lines.size(), 4u);
    f.core.ExecuteCommand("removeplayer 2");
    EXPECT_EQ(f.events.messages, std::vector<std::string>{"\x02 2"});
    EXPECT_TRUE(f.console.Saw("left the game"));
    f.core.ExecuteCommand("addbot");
    EXPECT_EQ(f.events.messages.back(), "\x01 3");  // ids are not reused
}

TEST(Players, NamesFromTheOperatorAreMadeSafe) {
    CoreFixture f;
    f.Run(0);
    f.core.ExecuteCommand("addbot \"  Tab\tBed  Rock \"");
    f.core.ExecuteCommand(("addbot " + std::string(50, 'n')).c_str());
    f.Play(3000);
    const Roster& roster = f.core.CurrentGame().Players();
    ASSERT_EQ(roster.Count(), 2);
    EXPECT_EQ(roster.All()[0].name, "TabBed Rock");
    EXPECT_EQ(roster.All()[1].name, std::string(30, 'n'));
}

TEST(Players, InfoAndPingForKnownAndUnknownIds) {
    CoreFixture f;
    f.Run(0);
    f.core.ExecuteCommand("addbot Alice");
    PlayerInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(f.core.GetPlayerInfo(1, &info), 1);
    float seed = 0.0f;
    std::memcpy(&seed, &info.pingSeed, sizeof seed);
    float ping = seed;
    EXPECT_EQ(f.core.GetPlayerPing(1, &ping), 1);
    EXPECT_EQ(ping, seed);  // the seed is the last ping handed out

    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(f.core.GetPlayerInfo(2, &info), 0);
    for (uint8_t byte : info.engineData) ASSERT_EQ(byte, 0);
    EXPECT_EQ(info.pingSeed, 0u);
    EXPECT_EQ(f.core.GetPlayerInfo(1, nullptr), 0);
    ping = 0.5f;
    EXPECT_EQ(f.core.GetPlayerPing(2, &ping), 0);
    EXPECT_EQ(ping, 0.5f);
    EXPECT_EQ(f.core.GetPlayerPing(1, nullptr), 0);
}

TEST(Players, PingsDriftWithinAPlausibleRange) {
    CoreFixture f;
    f.Run(0, 32);
    for (int i = 0; i < 12; ++i) f.core.ExecuteCommand("addbot");
    std::map<int, std::set<int>> distinct;
    for (int second = 0; second < 300; ++second) {
        f.Play(1000);
        for (int id = 1; id <= 12; ++id) {
            float ping = -1.0f;
            ASSERT_EQ(f.core.GetPlayerPing(id, &ping), 1);
            ASSERT_GE(ping, Roster::kLowestPing);
            ASSERT_LE(ping, Roster::kHighestPing);
            distinct[id].insert(static_cast<int>(ping * 1000.0f));
        }
    }
    for (const auto& [id, values] : distinct) EXPECT_GT(values.size(), 10u) << id;
}

TEST(Players, MaxPlayersCapsThePopulation) {
    CoreFixture f;
    f.Run(10, 3);
    f.Play(8000);
    EXPECT_EQ(f.core.CurrentGame().PlayerCount(), 3);
    f.core.ExecuteCommand("addbot");
    EXPECT_TRUE(f.console.Saw("The server is full (3/3 players)"));
    for (int second = 0; second < 600; ++second) {
        f.Play(1000);
        ASSERT_LE(f.core.CurrentGame().PlayerCount(), 3);
    }
    while (f.core.CurrentGame().PlayerCount() < 3) f.Play(1000);

    f.events.messages.clear();
    f.core.ExecuteCommand("maxplayers 1");
    f.Play(33);
    EXPECT_EQ(f.core.CurrentGame().PlayerCount(), 1);
    EXPECT_EQ(f.events.CountOfType(2), 2u);
    EXPECT_TRUE(f.console.Saw("the server is full"));

    f.core.ExecuteCommand("botcount 0");
    f.core.ExecuteCommand("maxplayers 16");
    f.Play(600000);
    EXPECT_EQ(f.core.CurrentGame().PlayerCount(), 0);  // the last automatic player drifted off
    f.events.messages.clear();
    f.Play(600000);
    EXPECT_EQ(f.events.CountOfType(1), 0u);
}

TEST(Players, NoPlayersBeforeTheGameRuns) {
    CoreFixture f;
    f.core.ExecuteCommand("addbot");
    f.Play(10000);
    EXPECT_EQ(f.core.CurrentGame().PlayerCount(), 0);
    EXPECT_TRUE(f.events.messages.empty());
    EXPECT_TRUE(f.console.Saw("No game is running"));
}

TEST(Players, ChatAndScoresStayAtAFewLinesASecond) {
    CoreFixture f;
    f.Run(64, 64);
    f.Play(120000);
    ASSERT_EQ(f.core.CurrentGame().PlayerCount(), 64);
    size_t chatBefore = f.events.CountOfType(6);
    f.console.lines.clear();
    int worstWindow = 0;
    for (int window = 0; window < 60; ++window) {
        size_t chat = f.events.CountOfType(6);
        size_t lines = f.console.lines.size();
        f.Play(10000);
        int added =
            static_cast<int>(f.events.CountOfType(6) - chat + f.console.lines.size() - lines);
        worstWindow = std::max(worstWindow, added);
    }
    EXPECT_LE(worstWindow, 30);  // three lines a second at the very most
    EXPECT_GT(f.events.CountOfType(6) - chatBefore, 100u);

    f.core.ExecuteCommand("botchat 0");
    f.Play(1000);
    size_t chat = f.events.CountOfType(6);
    f.Play(600000);
    EXPECT_EQ(f.events.CountOfType(6), chat);
}

TEST(Players, SteadyTicksDoNotAllocate) {
    CoreFixture f;
    f.Run(0);
    f.core.ExecuteCommand("botchat 0");
    for (int i = 0; i < 5; ++i) f.core.ExecuteCommand("addbot");
    f.Play(40000);  // names announced, specialties chosen: no more events
    unsigned long before = g_allocations;
    f.Play(60000);
    EXPECT_EQ(g_allocations, before);
}

TEST(Players, BandwidthFollowsThePlayersWithinTheBudget) {
    CoreFixture f;
    float send = -1, receive = -1;
    f.core.GetBandwidth(&send, &receive);
    EXPECT_EQ(send, 0.0f);  // no host, no traffic
    f.Run(0);
    f.core.GetBandwidth(&send, &receive);
    float idleSend = send, idleReceive = receive;
    EXPECT_GT(idleSend, 0.0f);
    for (int i = 0; i < 8; ++i) f.core.ExecuteCommand("addbot");
    f.Play(5000);
    f.core.GetBandwidth(&send, &receive);
    EXPECT_GT(send, idleSend + 8 * 1000);
    EXPECT_GT(receive, idleReceive + 8 * 400);
    f.core.ExecuteCommand("sendbandwidth 4000");
    f.core.GetBandwidth(&send, &receive);
    EXPECT_EQ(send, 4000.0f);
    EXPECT_EQ(f.core.GetBandwidth(nullptr, nullptr), 1);
}

TEST(Commands, ListsSayChangeMapAndCloseHost) {
    CoreFixture f;
    for (const char* command : {"nummaps 2", "map0 worlds/a", "map1 worlds/b"})
        f.core.ExecuteCommand(command);
    f.Run(0);
    f.core.ExecuteCommand("addbot Alice");
    f.core.ExecuteCommand("addbot Bob");
    f.Play(3000);
    f.console.lines.clear();
    f.core.ExecuteCommand("Players");
    EXPECT_TRUE(f.console.Saw("Players: 2/16"));
    EXPECT_TRUE(f.console.Saw("Alice"));
    EXPECT_TRUE(f.console.Saw("Bob"));
    f.console.lines.clear();
    f.core.ExecuteCommand("status");
    EXPECT_TRUE(f.console.Saw("Players: 2/16"));
    EXPECT_TRUE(f.console.Saw("Bob"));

    f.events.messages.clear();
    f.core.ExecuteCommand("say hello \"all\"");
    f.core.ExecuteCommand("say");
    EXPECT_EQ(f.events.messages, std::vector<std::string>{"\x06[Server] hello \"all\"\n"});

    f.events.messages.clear();
    f.core.ExecuteCommand("changemap 1");
    EXPECT_EQ(f.core.CurrentGame().Map(), "worlds/b");
    f.core.ExecuteCommand("changemap 2");
    EXPECT_TRUE(f.console.Saw("the rotation has no map 2"));
    EXPECT_EQ(f.core.CurrentGame().PlayerCount(), 2);
    EXPECT_EQ(f.events.CountOfType(2), 0u);

    EXPECT_EQ(f.core.Tick(), 1);
    f.events.messages.clear();
    f.core.ExecuteCommand("closehost");
    EXPECT_EQ(f.events.messages, std::vector<std::string>{"\x07"});
    EXPECT_EQ(f.core.Tick(), 0);
    f.Play(60000);
    EXPECT_EQ(f.events.messages.size(), 1u);
}

TEST(FloodTest, LinesFollowTheRateAndStopOnTime) {
    CoreFixture f;
    f.core.ExecuteCommand("floodtest 3000 2");
    uint64_t start = f.environment.now;
    f.console.lines.clear();
    for (int tick = 0; tick < 100; ++tick) {
        f.Play(33);
        uint64_t elapsed = f.environment.now - start;
        size_t flood = f.console.lines.size();
        ASSERT_LE(flood, elapsed * 3 + 1) << elapsed;  // never ahead of the clock
        if (elapsed < 2000) {
            ASSERT_GE(flood + 100, elapsed * 3) << elapsed;  // nor far behind it
        }
    }
    EXPECT_EQ(f.console.lines.size(), 6001u);  // and the closing line
    EXPECT_TRUE(f.console.Saw("flood    6000/6000"));
    EXPECT_TRUE(f.console.Saw("done, 6000 of 6000"));

    f.core.ExecuteCommand("floodtest 50000 9999");
    EXPECT_TRUE(f.console.Saw("20000 lines per second for 600 seconds"));
    f.console.lines.clear();
    f.environment.now += 30000;  // a stalled server thread
    f.core.Tick();
    EXPECT_LE(f.console.lines.size(), 20000u / 5 + 1);
    f.core.ExecuteCommand("floodtest 0");
    EXPECT_TRUE(f.console.Saw("floodtest: done"));
    f.console.lines.clear();
    f.Play(1000);
    EXPECT_TRUE(f.console.lines.empty());
    for (const char* bad : {"floodtest", "floodtest x", "floodtest 10 y"}) {
        f.core.ExecuteCommand(bad);
        EXPECT_TRUE(f.console.Saw("Usage: floodtest"));
    }
}

TEST(ServerEngine, EventsOnlyInsideCallsAndNeverAfterDetach) {
    FakeEnvironment environment;
    ServerEngine engine(environment);
    EngineInterface& api = engine;
    RecordingHost host;
    auto call = [&](auto&& operation) {
        host.insideCall = true;
        operation();
        host.insideCall = false;
    };
    call([&] { api.AttachHost(&host); });
    call([&] {
        ServiceProviderEntry* head = nullptr;
        api.RefreshServiceProviders(0, 0);
        api.GetServiceProviders(&head);
        api.SelectServiceProvider(2);
        api.CommitServiceProviders(head);
        HostOpenRecord open{};
        open.maxPlayers = 16;
        api.OpenHost(&open);
        SessionStartRecord record{};
        SessionDescription description{};
        std::strcpy(record.startMap, "worlds/lima");
        record.description = &description;
        record.descriptionSize = sizeof description;
        api.StartSession(&record);
    });
    for (int tick = 0; tick < 300; ++tick) {
        environment.now += 33;
        call([&] { api.Tick(0); });
    }
    call([&] { api.KickPlayer(1); });
    call([&] { api.ExecuteCommand("addbot"); });
    EXPECT_EQ(host.outsideCall, 0);
    EXPECT_GE(host.events.size(), 7u);

    call([&] { api.AttachHost(nullptr); });
    size_t seen = host.events.size();
    for (int tick = 0; tick < 3000; ++tick) {
        environment.now += 33;
        api.Tick(0);
    }
    api.KickPlayer(2);
    api.ExecuteCommand("say anyone");
    api.ExecuteCommand("closehost");
    EXPECT_EQ(host.events.size(), seen);
    EXPECT_EQ(host.outsideCall, 0);
}

TEST(ServerEngine, ReattachedHostIsToldOfPlayersAlreadyThere) {
    CoreFixture f;
    f.Run(0);
    f.core.ExecuteCommand("addbot Alice");
    f.core.ExecuteCommand("addbot Bob");
    f.Play(3000);
    f.core.SetEventSink(nullptr);
    EventCollector late;
    f.core.SetEventSink(&late);
    EXPECT_TRUE(late.messages.empty());  // nothing inside the attach itself
    f.Play(33);
    HostTable host;
    for (const std::string& message : late.messages) host.Apply(message);
    ASSERT_EQ(host.players.size(), 2u);
    EXPECT_EQ(host.players[1].name, "Alice");
    EXPECT_EQ(host.players[2].name, "Bob");
    EXPECT_EQ(host.unknownUpdate, 0);
}

}  // namespace
}  // namespace korvane::test
