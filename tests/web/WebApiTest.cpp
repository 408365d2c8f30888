// The JSON API against the stand-in host: what needs a session, what needs the CSRF token,
// how bad input and a stopped engine are answered, and what reaches the host.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <tuple>

#include "FakeBackend.h"
#include "web/Crypto.h"
#include "web/WebApi.h"

namespace korvane::web {
namespace {

using nlohmann::json;

class WebApiTest : public ::testing::Test {
  protected:
    WebApiTest()
        : backend(console),
          api(backend, console, HashPassword("right-password", 1000), [this] { return now; },
              &RandomBytes, {"127.0.0.1", "game.example.net"}) {}

    ApiResponse Call(const std::string& method, const std::string& path,
                     const std::string& body = "", bool withSession = true, bool withCsrf = true,
                     WebApi* to = nullptr) {
        ApiRequest request = site;
        request.method = method;
        request.path = path;
        request.body = body;
        if (withSession)
            request.cookie = "theme=dark; " + std::string(kSessionCookie) + "=" + token;
        if (withCsrf) request.csrf = csrf;
        const size_t query = path.find('?');
        if (query != std::string::npos) {
            request.path = path.substr(0, query);
            const std::string pair = path.substr(query + 1);
            request.params[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
        }
        return (to ? *to : api).Handle(request);
    }
    ApiResponse Login(const std::string& password, WebApi* to = nullptr) {
        return Call("POST", "/api/login", json{{"password", password}}.dump(), false, false, to);
    }
    void LogIn() {
        const ApiResponse response = Login("right-password");
        ASSERT_EQ(response.status, 200) << response.body;
        csrf = json::parse(response.body)["csrf"];
        ASSERT_EQ(response.headers.size(), 1u);
        const std::string& cookie = response.headers[0].second;
        EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
        EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
        token = cookie.substr(cookie.find('=') + 1, 32);
    }
    static std::string Error(const ApiResponse& response) {
        return json::parse(response.body).value("error", "");
    }

    // What a browser on the page sends besides the request's own parts.
    ApiRequest site = [] {
        ApiRequest request;
        request.host = "127.0.0.1:8080";
        request.contentType = "application/json";
        request.remoteAddress = request.localAddress = "127.0.0.1";
        return request;
    }();
    uint64_t now = 5'000'000;
    ConsoleRing console;
    test::FakeBackend backend;
    WebApi api;
    std::string token, csrf;
};

TEST_F(WebApiTest, LoginGivesASessionThatReadsAndACsrfTokenThatWrites) {
    EXPECT_EQ(Call("GET", "/api/status", "", false).status, 401);
    EXPECT_EQ(Login("wrong-password").status, 401);
    EXPECT_EQ(Login("").status, 401);
    for (const char* bad : {"", "{", "[]", "{\"password\": 5}", "{\"pass\": \"x\"}"})
        EXPECT_EQ(Call("POST", "/api/login", bad, false, false).status, 400) << bad;
    LogIn();

    const json status = json::parse(Call("GET", "/api/status").body);
    EXPECT_EQ(status["server_name"], "Test \xC3\xA9t\xC3\xA9 Server");  // ANSI é sent as UTF-8
    EXPECT_EQ(status["players"], 2);
    EXPECT_EQ(status["max_players"], 16);
    EXPECT_EQ(status["uptime_seconds"], 125);

    // Reads need no CSRF token; writes need the session's own.
    EXPECT_EQ(Call("GET", "/api/players", "", true, false).status, 200);
    const std::string command = json{{"command", "status"}}.dump();
    EXPECT_EQ(Call("POST", "/api/command", command, true, false).status, 403);
    csrf[0] = csrf[0] == 'a' ? 'b' : 'a';
    EXPECT_EQ(Call("POST", "/api/command", command).status, 403);
    EXPECT_EQ(backend.Calls().size(), backend.Notices().size());  // nothing but audit lines
    EXPECT_EQ(Call("POST", "/api/command", command, false).status, 401);

    // Logout is a write too, and ends the session.
    LogIn();
    EXPECT_EQ(Call("POST", "/api/logout", "", true, false).status, 403);
    EXPECT_EQ(Call("POST", "/api/logout").status, 200);
    EXPECT_EQ(Call("GET", "/api/status").status, 401);
}

TEST_F(WebApiTest, ASessionEndsAfterThirtyIdleMinutes) {
    LogIn();
    now += 29 * 60 * 1000;
    EXPECT_EQ(Call("GET", "/api/status").status, 200);
    now += 30 * 60 * 1000;
    EXPECT_EQ(Call("GET", "/api/status").status, 401);
}

TEST_F(WebApiTest, TheFifthFailureLocksTheAddressAndTellsTheConsole) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Login("wrong-password").status, 401);
    const ApiResponse locked = Login("right-password");
    EXPECT_EQ(locked.status, 429);
    ASSERT_EQ(locked.headers.size(), 1u);
    EXPECT_EQ(locked.headers[0], std::make_pair(std::string("Retry-After"), std::string("60")));
    ASSERT_EQ(backend.Calls().size(), 6u);  // five refusals, then the lockout
    EXPECT_NE(backend.Calls()[5].find("127.0.0.1"), std::string::npos);
    now += 60 * 1000;
    EXPECT_EQ(Login("right-password").status, 200);
}

TEST_F(WebApiTest, APasswordIsItsExactUtf8BytesNeverALookAlike) {
    const char* horse = "Correct-Horse-9";
    const char* cyrillic =
        "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C-\xD1\x81\xD0\xB5"
        "\xD0\xBA\xD1\x80\xD0\xB5\xD1\x82";  // "parol-sekret" in Cyrillic
    const std::tuple<const char*, const char*, int> cases[] = {
        {horse,
         "\xEF\xBC\xA3\xEF\xBD\x8F\xEF\xBD\x92\xEF\xBD\x92\xEF\xBD\x85\xEF\xBD\x83"
         "\xEF\xBD\x94-\xEF\xBC\xA8\xEF\xBD\x8F\xEF\xBD\x92\xEF\xBD\x93\xEF\xBD\x85-"
         "\xEF\xBC\x99",
         401},                                   // full-width
        {horse, "\xC4\x86orrect-Horse-9", 401},  // C with an acute accent
        {cyrillic, "?????\?-??????", 401},
        {cyrillic, cyrillic, 200},
    };
    for (const auto& [set, tried, status] : cases) {
        WebApi other(
            backend, console, HashPassword(set, 1000), [this] { return now; }, &RandomBytes);
        EXPECT_EQ(Login(tried, &other).status, status) << tried;
    }
}

TEST_F(WebApiTest, OnlyThisServersHostsAndPagesAreAnswered) {
    LogIn();
    site.origin = "http://127.0.0.1:9999";
    EXPECT_EQ(Call("POST", "/api/command", R"({"command": "say hi"})").status, 403);
    EXPECT_EQ(backend.Calls().size(), backend.Notices().size());  // nothing but audit lines
    struct Case {
        const char *host, *origin, *referer, *type;
        int status;
    };
    const Case cases[] = {
        {"localhost:8080", "http://localhost:8080", "", "application/json; charset=utf-8", 200},
        {"[::1]:8080", "", "http://[::1]:8080/", "application/json", 200},
        {"GAME.example.net", "https://game.example.net", "", "application/json", 200},
        {"127.0.0.1:8080", "http://127.0.0.1:9999", "", "application/json", 403},
        {"127.0.0.1:8080", "", "http://evil.example/127.0.0.1:8080/", "application/json", 403},
        {"127.0.0.1:8080", "", "", "text/plain", 415},
        {"rebind.example:8080", "", "", "application/json", 421},
        {"localhost:80:80", "", "", "application/json", 421},
        {"", "", "", "application/json", 421},
    };
    for (const Case& c : cases) {
        site.host = c.host;
        site.origin = c.origin;
        site.referer = c.referer;
        site.contentType = c.type;
        EXPECT_EQ(Login("right-password").status, c.status) << c.host << " " << c.origin;
    }
}

TEST_F(WebApiTest, AStoredCountBelowTodaysIsRaisedAtTheNextLogin) {
    const PasswordRecord weaker = HashPassword("right-password", kMinPasswordIterations);
    std::vector<PasswordRecord> rehashed;
    WebApi weak(
        backend, console, weaker, [this] { return now; }, &RandomBytes, {},
        [&](const PasswordRecord&, const PasswordRecord& after) { rehashed.push_back(after); });
    EXPECT_EQ(Login("right-password", &weak).status, 200);
    EXPECT_EQ(Login("right-password", &weak).status, 200);
    ASSERT_EQ(rehashed.size(), 1u);
    EXPECT_EQ(rehashed[0].iterations, kPasswordIterations);
    EXPECT_TRUE(VerifyPassword("right-password", rehashed[0]));
}

TEST_F(WebApiTest, CommandsKicksAndMapChangesAreCheckedThenReachTheHost) {
    LogIn();
    EXPECT_EQ(Call("POST", "/api/command", R"({"command": "say hi"})").status, 200);
    for (const std::string& bad : std::vector<std::string>{
             R"({"command": ""})", R"({"command": "a\nquit"})", R"({"command": 7})",
             "{\"command\": \"" + std::string(120, 'x') + "\"}", "not json",
             "{\"command\": \"\xff\"}"})
        EXPECT_EQ(Call("POST", "/api/command", bad).status, 400) << bad;
    EXPECT_EQ(
        Call("POST", "/api/command", "{\"command\": \"" + std::string(119, 'x') + "\"}").status,
        200);

    EXPECT_EQ(Call("POST", "/api/kick", R"({"id": 99})").status, 400);
    EXPECT_EQ(Call("POST", "/api/kick", R"({"id": "1"})").status, 400);
    EXPECT_EQ(Call("POST", "/api/kick", R"({"id": 1.5})").status, 400);
    EXPECT_EQ(Call("POST", "/api/kick", R"({"id": 4294967297})").status, 400);
    EXPECT_EQ(Call("POST", "/api/kick", R"({"id": 1})").status, 200);
    EXPECT_EQ(Call("POST", "/api/changemap", R"({"index": 3})").status, 400);
    EXPECT_EQ(Call("POST", "/api/changemap", R"({"index": -1})").status, 400);
    EXPECT_EQ(Call("POST", "/api/changemap", R"({"index": 2})").status, 200);
    const std::string x119(119, 'x');
    EXPECT_EQ(backend.Calls(),
              (std::vector<std::string>{
                  "notice [web 127.0.0.1] login", "notice [web 127.0.0.1] say hi", "execute say hi",
                  "notice [web 127.0.0.1] " + x119, "execute " + x119,
                  "notice [web 127.0.0.1] kick 1 (Alice)", "kick 1",
                  "notice [web 127.0.0.1] change map 2 (worlds/usa)", "changemap 2"}));
    // A restart is a write like the others, and the console says who asked for it.
    EXPECT_EQ(Call("POST", "/api/restart", "", true, false).status, 403);
    EXPECT_EQ(Call("POST", "/api/restart", "").status, 202);
    const auto calls = backend.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back(), "restart");
    EXPECT_EQ(calls[calls.size() - 2], "notice [web 127.0.0.1] restart");
    backend.restartNotice = "no longer restarts itself";
    EXPECT_EQ(json::parse(Call("GET", "/api/status").body)["restart_notice"],
              "no longer restarts itself");

    const json players = json::parse(Call("GET", "/api/players").body)["players"];
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0]["name"], "<script>alert(1)</script>");  // a string, to be shown as text
    EXPECT_EQ(players[0]["connected_seconds"], 3700);
    const json maps = json::parse(Call("GET", "/api/rotation").body)["maps"];
    EXPECT_EQ(maps.size(), 3u);
    EXPECT_EQ(maps[2]["map"], "worlds/usa");
}

// Each action from the web leaves "[web <peer>] <what>" in the console and the log.
TEST_F(WebApiTest, EachWebActionLeavesItsAuditLine) {
    site.remoteAddress = "192.0.2.4";
    const auto wrong = [this] { Login("wrong-password"); };
    const auto fiveWrong = [&] {
        for (int i = 0; i < 5; ++i) wrong();
    };
    const auto post = [this](const char* path, const char* body) {
        return [=, this] { Call("POST", path, body); };
    };
    const std::pair<std::function<void()>, std::string> cases[] = {
        {wrong, "login refused (1st in a minute)"},
        {wrong, "login refused (2nd in a minute)"},
        {wrong, "login refused (3rd in a minute)"},
        {[this] { LogIn(); }, "login"},
        {post("/api/command", R"({"command": "status"})"), "status"},
        {post("/api/command", R"({"command": "serverpassword hunter22"})"), "serverpassword ****"},
        {post("/api/kick", R"({"id": 1})"), "kick 1 (Alice)"},
        {post("/api/changemap", R"({"index": 1})"), "change map 1 (worlds/lima)"},
        {post("/api/logout", ""), "logout"},
        {fiveWrong,
         "locked out: 5 failed logins from 192.0.2.4 (counted for 192.0.2.0/24); they must "
         "wait a minute."},
    };
    for (const auto& [act, line] : cases) {
        const size_t before = backend.Notices().size();
        act();
        const std::vector<std::string> notices = backend.Notices();
        ASSERT_GT(notices.size(), before) << line;
        EXPECT_EQ(notices.back(), "[web 192.0.2.4] " + line);
    }
}

TEST_F(WebApiTest, TheHistoryIsAnHourOrADayOfColumnsOldestFirst) {
    for (int i = 0; i < 400; ++i)
        backend.history.Add({1'700'000'000 + 10 * i, 30.3f, 1.5f, 4.25f, i % 5, 50'000'000});
    LogIn();
    for (const char* bad : {"", "?hours=", "?hours=2", "?hours=0", "?hours=01", "?hours=24x"})
        EXPECT_EQ(Call("GET", std::string("/api/history") + bad).status, 400) << bad;
    for (const auto& [hours, count] : {std::pair{"1", 360u}, std::pair{"24", 400u}}) {
        const ApiResponse answer = Call("GET", std::string("/api/history?hours=") + hours);
        ASSERT_EQ(answer.status, 200);
        const json history = json::parse(answer.body);
        EXPECT_EQ(history.size(), 7u);
        EXPECT_EQ(history["interval_seconds"], 10);
        for (const char* column :
             {"time", "players", "update_rate", "tick_p50_ms", "tick_p99_ms", "resident_bytes"})
            EXPECT_EQ(history[column].size(), count) << column;
        EXPECT_EQ(history["time"][0], 1'700'000'000 + 10 * (400 - count));  // to the newest
        EXPECT_EQ(history["update_rate"][0], 30.3);  // rounded, not 30.299999237060547
    }
}

TEST_F(WebApiTest, TheConsoleIsReadOnwardFromALineNumber) {
    LogIn();
    for (int i = 0; i < 600; ++i) console.Append("line " + std::to_string(i));
    json page = json::parse(Call("GET", "/api/console?after=0").body);
    EXPECT_EQ(page["lines"].size(), kConsoleAnswerMaxLines);
    EXPECT_TRUE(page["more"]);
    page = json::parse(
        Call("GET", "/api/console?after=" + std::to_string(page["next"].get<int>())).body);
    // The login's audit line came first.
    EXPECT_EQ(page["lines"].size(), 101u);
    EXPECT_EQ(page["lines"][100]["text"], "line 599");
    EXPECT_EQ(page["lines"][100]["seq"], 601);
    EXPECT_FALSE(page["more"]);
    EXPECT_EQ(Call("GET", "/api/console?after=x").status, 400);
    EXPECT_EQ(Call("GET", "/api/console?after=-1").status, 400);
}

TEST_F(WebApiTest, AStoppedEngineAnswers503AndUnknownRequestsAreRefused) {
    LogIn();
    EXPECT_EQ(json::parse(Call("GET", "/api/status").body)["engine_running"], true);
    backend.consoleLog = "stopped";
    EXPECT_EQ(Call("POST", "/api/command", R"({"command": "quit"})").status, 200);
    // The status says what is known without an engine.
    EXPECT_EQ(json::parse(Call("GET", "/api/status").body),
              (json{{"error", "the engine is not running"},
                    {"engine_running", false},
                    {"update_rate", 0},
                    {"console_log", "stopped"}}));
    for (const char* path : {"/api/status", "/api/players", "/api/rotation"})
        EXPECT_EQ(Call("GET", path).status, 503) << path;
    EXPECT_EQ(Call("POST", "/api/kick", R"({"id": 1})").status, 503);
    EXPECT_EQ(Call("POST", "/api/command", R"({"command": "status"})").status, 503);
    EXPECT_EQ(Error(Call("POST", "/api/changemap", R"({"index": 0})")),
              "the engine is not running");
    EXPECT_EQ(Call("GET", "/api/console").status, 200);  // the lines stay readable
    // An engine stuck in a call: every request that needs it hears so at once.
    backend.notResponding = 7;
    for (const char* path : {"/api/status", "/api/players"})
        EXPECT_EQ(Error(Call("GET", path)), "Engine not responding for 7 s") << path;
    EXPECT_EQ(Error(Call("POST", "/api/command", R"({"command": "status"})")),
              "Engine not responding for 7 s");

    EXPECT_EQ(Call("GET", "/api/nothing").status, 404);
    EXPECT_EQ(Call("GET", "/api/command").status, 405);  // GET never changes anything
    EXPECT_EQ(Call("POST", "/api/status").status, 405);
    const ApiResponse page = Call("GET", "/", "", false, false);
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
    EXPECT_NE(page.body.find("/app.js"), std::string::npos);
}

}  // namespace
}  // namespace korvane::web
