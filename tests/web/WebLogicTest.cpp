// The web administration's pure parts: the console ring, the settings file, the switches, the
// sessions and lockout (with a hand-moved clock), the password hash and the history ring.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <tuple>
#include <thread>

#include "app/Switches.h"
#include "web/CommandLine.h"
#include "web/ConsoleRing.h"
#include "web/Crypto.h"
#include "web/History.h"
#include "web/Sessions.h"
#include "web/WebConfig.h"

namespace korvane::web {
namespace {

using app::SplitArguments;

// The web administration's part of the switches.
WebAdminSwitches ParseSwitches(const std::string& line) {
    return app::ParseSwitches(line).web;
}

std::string TempFile(const char* name, const std::string& text) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(ConsoleRingTest, NumbersLinesKeepsTheNewestAndPagesWithinBounds) {
    ConsoleRing ring(3);
    EXPECT_TRUE(ring.Read(0, 10, 1000).lines.empty());
    for (const char* line : {"one\r\n", "two\n", "three", "four"}) ring.Append(line);

    ConsolePage page = ring.Read(0, 10, 1000);
    ASSERT_EQ(page.lines.size(), 3u);  // "one" fell out
    EXPECT_EQ(page.first, 2u);
    EXPECT_EQ(page.lines[0].seq, 2u);
    EXPECT_EQ(page.lines[0].text, "two");
    EXPECT_EQ(page.lines[2].text, "four");
    EXPECT_EQ(page.next, 4u);
    EXPECT_FALSE(page.more);

    page = ring.Read(2, 1, 1000);
    ASSERT_EQ(page.lines.size(), 1u);
    EXPECT_EQ(page.lines[0].text, "three");
    EXPECT_TRUE(page.more);
    EXPECT_TRUE(ring.Read(4, 10, 1000).lines.empty());
    EXPECT_EQ(ring.Read(4, 10, 1000).next, 4u);

    // A byte bound still yields one line, and cuts before the line that would cross it.
    EXPECT_EQ(ring.Read(0, 10, 1).lines.size(), 1u);
    EXPECT_EQ(ring.Read(0, 10, 8).lines.size(), 2u);
    EXPECT_EQ(ring.Read(0, 10, 7).lines.size(), 1u);
    // A reader from a former run (a number beyond the newest) starts again at the oldest.
    EXPECT_EQ(ring.Read(99, 10, 1000).lines.front().seq, 2u);

    ring.Append(std::string(5000, 'x'));
    EXPECT_EQ(ring.Read(4, 10, 100000).lines[0].text.size(), ConsoleRing::kMaxLineLength);
}

TEST(ConsoleRingTest, ReadersOnOtherThreadsSeeEveryLineOnceInOrder) {
    ConsoleRing ring;
    std::thread writer([&] {
        for (int i = 1; i <= 20000; ++i) ring.Append(std::to_string(i));
    });
    uint64_t after = 0;
    int expected = 1;
    bool inOrder = true;
    while (expected <= 20000 && inOrder) {
        const ConsolePage page = ring.Read(after, 500, 64 * 1024);
        for (const ConsoleLine& line : page.lines) {
            // The reader may fall behind by more than the ring holds: then it skips ahead.
            if (line.seq != after + 1 && line.seq != page.first) inOrder = false;
            if (line.text != std::to_string(line.seq)) inOrder = false;
            expected = static_cast<int>(line.seq) + 1;
            after = line.seq;
        }
    }
    writer.join();
    EXPECT_TRUE(inOrder);
}

TEST(WebConfigTest, WritesAndReadsBackAndRejectsDamageFieldByField) {
    WebConfig config;
    config.enabled = true;
    config.address = "0.0.0.0";
    config.port = 9090;
    config.hostName = "game-host.example.net";
    config.password = {std::vector<uint8_t>(32, 0xAB), std::vector<uint8_t>(16, 0x01),
                       kPasswordIterations};
    EXPECT_EQ(ParseWebConfig(FormatWebConfig(config)), config);
    EXPECT_EQ(FormatWebConfig(config).find("password="), std::string::npos);

    const std::string path = TempFile("korvane-webadmin-test.cfg", "");
    ASSERT_TRUE(SaveWebConfig(config, path));
    EXPECT_EQ(LoadWebConfig(path), config);
    std::remove(path.c_str());
    EXPECT_EQ(LoadWebConfig(path), WebConfig{});  // missing file: defaults

    const WebConfig damaged = ParseWebConfig(
        "enabled=1\naddress=300.1.1.1\nport=70000\n  port = 99999999999999999999\n"
        "password_hash=zz\npassword_salt=0101\npassword_iterations=-4\n\x01\xff garbage");
    EXPECT_TRUE(damaged.enabled);
    EXPECT_EQ(damaged.address, "127.0.0.1");
    EXPECT_EQ(damaged.port, 8080);
    EXPECT_FALSE(damaged.password.IsSet());
    // A hash without a usable salt or count is no password at all.
    EXPECT_FALSE(ParseWebConfig("password_hash=" + std::string(64, 'a') + "\npassword_salt=" +
                                std::string(32, 'b') + "\npassword_iterations=99999999999")
                     .password.IsSet());
    EXPECT_EQ(ParseWebConfig(std::string(200000, '\n') + "port=81").port, 8080);
}

TEST(WebConfigTest, AHashOfAnotherFormatOrCountIsUnusableNeverTakenAsAPassword) {
    const std::string parts = "password_hash=" + std::string(64, 'a') +
                              "\npassword_salt=" + std::string(32, 'b') + "\npassword_iterations=";
    const std::pair<std::string, bool> cases[] = {
        {parts + "210000", false},  // made over the ANSI code page's rendering
        {parts + "10000000\npassword_format=2", false},
        {parts + "1000\npassword_format=2", false},
        {parts + "300000\npassword_format=2", true},
    };
    for (const auto& [text, usable] : cases) {
        const WebConfig config = ParseWebConfig(text);
        EXPECT_EQ(config.password.IsSet(), usable) << text;
        EXPECT_EQ(config.passwordUnusable, !usable) << text;
    }
}

TEST(WebConfigTest, AddressesAreDottedIpv4AndLoopbackIsOneSeventyTwoSeven) {
    for (const char* good : {"127.0.0.1", "0.0.0.0", "192.168.1.20", "255.255.255.255"})
        EXPECT_TRUE(IsValidAddress(good)) << good;
    for (const char* bad : {"", "localhost", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3",
                            "127.0.0.01", "1.2.3.4 ", "::1", "1.2.3.-4"})
        EXPECT_FALSE(IsValidAddress(bad)) << bad;
    EXPECT_TRUE(IsLoopbackAddress("127.10.0.1"));
    EXPECT_FALSE(IsLoopbackAddress("0.0.0.0"));
    EXPECT_FALSE(IsLoopbackAddress("128.0.0.1"));
}

TEST(CommandLineTest, ReadsTheSwitchesBesideOtherArguments) {
    const auto switches = ParseSwitches(
        "-s --webadmin 0.0.0.0:8181 --other \"--webadmin-password-file=C:\\My Files\\pw.txt\"");
    EXPECT_EQ(switches.error, "");
    EXPECT_TRUE(switches.listen);
    EXPECT_EQ(switches.address, "0.0.0.0");
    EXPECT_EQ(switches.port, 8181);
    EXPECT_EQ(switches.passwordFile, "C:\\My Files\\pw.txt");

    EXPECT_FALSE(ParseSwitches("-s").listen);
    EXPECT_EQ(SplitArguments("a \"b c\"  \"C:\\dir\\\" d").size(), 4u);
    EXPECT_EQ(SplitArguments("\"C:\\dir\\\"")[0], "C:\\dir\\");
    for (const char* bad :
         {"--webadmin", "--webadmin 127.0.0.1", "--webadmin 127.0.0.1:0", "--webadmin localhost:80",
          "--webadmin 1.2.3.4:80x", "--webadmin-password-file", "--webadmin-password-file="})
        EXPECT_NE(ParseSwitches(bad).error, "") << bad;
}

TEST(CommandLineTest, SwitchesWinForTheRunAndAPasswordFileIsHashed) {
    WebConfig stored;
    stored.port = 9000;
    std::string message;
    const std::string file =
        TempFile("korvane-pw-test.txt", "\xEF\xBB\xBFsecret-pass-1\r\nignored\n");
    WebConfig run = ConfigForRun(
        stored, ParseSwitches("--webadmin 127.0.0.2:8123 --webadmin-password-file " + file),
        message);
    EXPECT_EQ(message, "");
    EXPECT_TRUE(run.enabled);
    EXPECT_EQ(run.address, "127.0.0.2");
    EXPECT_EQ(run.port, 8123);
    EXPECT_TRUE(VerifyPassword("secret-pass-1", run.password));

    const std::string shortFile = TempFile("korvane-pw-short.txt", "short\n");
    run = ConfigForRun(
        stored,
        ParseSwitches("--webadmin 127.0.0.1:1 --webadmin-password-file " + shortFile),
        message);
    EXPECT_FALSE(run.enabled);
    EXPECT_NE(message.find("10"), std::string::npos);
    run = ConfigForRun(stored, ParseSwitches("--webadmin-password-file no-such-file.txt"),
                       message);
    EXPECT_FALSE(run.enabled);
    EXPECT_NE(message.find("no-such-file.txt"), std::string::npos);
    std::remove(file.c_str());
    std::remove(shortFile.c_str());
}

TEST(CommandLineTest, APasswordFileInTheAnsiCodePageIsRefusedAndAHostNameIsTaken) {
    std::string password, error;
    EXPECT_FALSE(
        ReadPasswordFile(TempFile("korvane-pw-ansi.txt", "Caf\xE9-Horse-99\n"), password, error));
    EXPECT_EQ(ParseSwitches("--webadmin-host Game-Host.Example.NET").hostName,
              "game-host.example.net");
    EXPECT_NE(ParseSwitches("--webadmin-host bad_name!").error, "");
}

struct ManualClock {
    uint64_t now = 1'000'000;
    Clock Get() {
        return [this] { return now; };
    }
};

TEST(SessionTest, TokensAreRandomAndSessionsEndWhenIdleOrLoggedOut) {
    ManualClock clock;
    SessionStore store(clock.Get(), &RandomBytes);
    const auto session = store.Create();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->token.size(), 32u);
    EXPECT_NE(session->token, session->csrf);
    std::set<std::string> tokens;
    for (int i = 0; i < 50; ++i)
        tokens.insert(SessionStore(clock.Get(), &RandomBytes).Create()->token);
    EXPECT_EQ(tokens.size(), 50u);

    clock.now += SessionStore::kIdleLimitMs - 1;
    ASSERT_TRUE(store.Touch(session->token));  // used just in time: the idle time starts again
    clock.now += SessionStore::kIdleLimitMs - 1;
    EXPECT_EQ(store.Touch(session->token)->csrf, session->csrf);
    clock.now += SessionStore::kIdleLimitMs;
    EXPECT_FALSE(store.Touch(session->token));

    const auto other = store.Create();
    store.End(other->token);
    EXPECT_FALSE(store.Touch(other->token));
    EXPECT_FALSE(store.Touch(""));
    EXPECT_FALSE(SessionStore(clock.Get(), [](void*, size_t) { return false; }).Create());
}

TEST(SessionTest, TheOldestSessionGoesWhenTheStoreIsFull) {
    ManualClock clock;
    SessionStore store(clock.Get(), &RandomBytes);
    std::vector<Session> sessions;
    for (size_t i = 0; i <= SessionStore::kMaxSessions; ++i) {
        sessions.push_back(*store.Create());
        clock.now += 1000;
    }
    EXPECT_FALSE(store.Touch(sessions.front().token));
    EXPECT_TRUE(store.Touch(sessions.back().token));
    EXPECT_TRUE(store.Touch(sessions[1].token));
}

TEST(SessionTest, FiveFailuresWithinAMinuteLockAnAddressForAMinute) {
    ManualClock clock;
    LoginThrottle throttle(clock.Get());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(throttle.Failed("10.0.0.1"));
    EXPECT_EQ(throttle.LockedFor("10.0.0.1"), 0u);
    EXPECT_TRUE(throttle.Failed("10.0.0.1"));
    EXPECT_EQ(throttle.LockedFor("10.0.0.1"), LoginThrottle::kLockMs);
    EXPECT_EQ(throttle.LockedFor("10.0.1.2"), 0u);  // other prefixes may go on
    clock.now += LoginThrottle::kLockMs - 1;
    EXPECT_EQ(throttle.LockedFor("10.0.0.1"), 1u);
    clock.now += 1;
    EXPECT_EQ(throttle.LockedFor("10.0.0.1"), 0u);

    // Failures spread over more than a minute never add up to five.
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(throttle.Failed("10.0.0.3"));
        clock.now += 15000;
    }
    // A success forgets the failures before it.
    for (int i = 0; i < 4; ++i) throttle.Failed("10.0.0.4");
    throttle.Succeeded("10.0.0.4");
    EXPECT_FALSE(throttle.Failed("10.0.0.4"));
}

TEST(SessionTest, AddressesOfOnePrefixShareTheirTriesAndTriesInFlightCount) {
    ManualClock clock;
    LoginThrottle throttle(clock.Get());
    for (int i = 2; i <= 6; ++i) throttle.Failed("127.0.0." + std::to_string(i));
    EXPECT_GT(throttle.LockedFor("127.0.0.1"), 0u);
    EXPECT_GT(throttle.LockedFor("::1"), 0u);
    const std::tuple<const char*, const char*, bool> pairs[] = {
        {"::ffff:10.1.2.3", "10.1.2.250", true},
        {"2001:db8:0:1::1", "2001:db8:0:1:ffff::9", true},
        {"10.1.2.3", "10.1.3.3", false},
        {"2001:db8:0:1::1", "2001:db8:0:2::1", false},
    };
    for (const auto& [a, b, same] : pairs)
        EXPECT_EQ(LoginThrottle::PrefixOf(a) == LoginThrottle::PrefixOf(b), same) << a << " " << b;

    // Four failures and a fifth try still being checked: a sixth waits for its verdict.
    for (int i = 0; i < 4; ++i) throttle.Failed("10.9.9.9");
    EXPECT_EQ(throttle.Begin("10.9.9.1"), 0u);
    EXPECT_GT(throttle.Begin("10.9.9.2"), 0u);
    throttle.Succeeded("10.9.9.1");
    EXPECT_EQ(throttle.Begin("10.9.9.2"), 0u);
}

TEST(SessionTest, ASessionEndsTwelveHoursAfterItsLoginHoweverBusy) {
    ManualClock clock;
    SessionStore store(clock.Get(), &RandomBytes);
    const auto session = store.Create();
    int uses = 0;
    while (uses <= 36 && (clock.now += 20 * 60 * 1000, store.Touch(session->token))) ++uses;
    EXPECT_EQ(uses, 12 * 3 - 1);  // every 20 minutes until the twelfth hour
}

TEST(CryptoTest, PasswordHashesAreSaltedAndVerifyOnlyTheirPassword) {
    const PasswordRecord first = HashPassword("correct horse", 2000);
    const PasswordRecord second = HashPassword("correct horse", 2000);
    ASSERT_TRUE(first.IsSet());
    EXPECT_EQ(first.hash.size(), 32u);
    EXPECT_EQ(first.salt.size(), 16u);
    EXPECT_NE(first.salt, second.salt);
    EXPECT_NE(first.hash, second.hash);
    EXPECT_TRUE(VerifyPassword("correct horse", first));
    EXPECT_FALSE(VerifyPassword("correct horsE", first));
    EXPECT_FALSE(VerifyPassword("", first));
    EXPECT_FALSE(VerifyPassword("correct horse", PasswordRecord{}));
    // The known PBKDF2-HMAC-SHA256 answer for "password" / "salt" / 1 iteration.
    const PasswordRecord known{{0x12, 0x0f, 0xb6, 0xcf, 0xfc, 0xf8, 0xb3, 0x2c, 0x43, 0xe7, 0x22,
                                0x52, 0x56, 0xc4, 0xf8, 0x37, 0xa8, 0x65, 0x48, 0xc9, 0x2c, 0xcc,
                                0x35, 0x48, 0x08, 0x05, 0x98, 0x7c, 0xb7, 0x0b, 0xe1, 0x7b},
                               {'s', 'a', 'l', 't'},
                               1};
    EXPECT_TRUE(VerifyPassword("password", known));
    EXPECT_TRUE(ConstantTimeEqual("abc", "abc"));
    EXPECT_FALSE(ConstantTimeEqual("abc", "abd"));
    EXPECT_FALSE(ConstantTimeEqual("abc", "ab"));
}

// A day and an hour of samples on a fake clock: the ring holds the last day, oldest first,
// and each sample's tick quantiles are those of its own 10 s (fast and slow ones alternate).
TEST(HistoryTest, TheRingKeepsTheLastDayInOrderWithinItsBound) {
    HistoryRing ring;
    TickHistogram ticks;
    const int64_t start = 1'700'000'000;
    int64_t now = start;
    const auto read = [&] { return HistoryReading{1, 30.3f, ticks.Read(), 0}; };
    HistoryRecorder recorder(ring, read, [&] { return now; });
    const size_t total = kHistorySamples + 360;
    for (size_t n = 0; n < total; ++n, now += kHistoryIntervalSeconds) {
        for (int tick = 0; tick < 300; ++tick) ticks.Add(n % 2 ? 45'000 : 800);
        recorder.Sample();
    }
    const std::vector<HistorySample> day = ring.Newest(SIZE_MAX);
    ASSERT_EQ(day.size(), kHistorySamples);
    for (size_t i = 0; i < day.size(); ++i)
        ASSERT_EQ(day[i].unixTime, start + static_cast<int64_t>(360 + i) * 10) << i;
    EXPECT_EQ(ring.Newest(360).front().unixTime, day[kHistorySamples - 360].unixTime);
    EXPECT_LE(day[kHistorySamples - 2].tickP99Ms, 1.0f);
    EXPECT_GE(day.back().tickP50Ms, 40.0f);
}

}  // namespace
}  // namespace korvane::web
