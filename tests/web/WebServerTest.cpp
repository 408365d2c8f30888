// The listener in this process, spoken to over loopback with the library's own client:
// headers on every answer, engine calls from the listener's threads, start and stop.
#include <httplib.h>

#include <gtest/gtest.h>

#include "FakeBackend.h"
#include "web/Crypto.h"
#include "web/WebServer.h"

namespace korvane::web {
namespace {

class WebServerTest : public ::testing::Test {
  protected:
    WebServerTest() : backend(console), server(backend, console) {
        config.port = 0;
        config.password = HashPassword("right-password", 1000);
    }
    httplib::Client Client() {
        httplib::Client client("127.0.0.1", server.Port());
        client.set_read_timeout(5);
        return client;
    }

    ConsoleRing console;
    test::FakeBackend backend;
    WebServer server;
    WebConfig config;
};

TEST_F(WebServerTest, AnswersCarryTheSecurityHeadersAndCommandsRunOnListenerThreads) {
    const StartResult started = server.Start(config);
    ASSERT_TRUE(started.listening) << started.message;
    EXPECT_EQ(started.message,
              "Web administration on http://127.0.0.1:" + std::to_string(server.Port()) + "/");
    auto client = Client();

    for (const char* path : {"/", "/app.js", "/api/status", "/nowhere"}) {
        const auto answer = client.Get(path);
        ASSERT_TRUE(answer) << path;
        EXPECT_EQ(answer->get_header_value("X-Content-Type-Options"), "nosniff") << path;
        EXPECT_EQ(answer->get_header_value("X-Frame-Options"), "DENY") << path;
        const std::string policy = answer->get_header_value("Content-Security-Policy");
        EXPECT_NE(policy.find("script-src 'self'"), std::string::npos) << path;
        EXPECT_EQ(policy.find("unsafe-inline"), std::string::npos) << path;
    }
    EXPECT_EQ(client.Get("/nowhere")->status, 404);
    EXPECT_EQ(client.Get("/nowhere")->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(client.Get("/app.js")->get_header_value("Content-Type"),
              "text/javascript; charset=utf-8");

    const auto login =
        client.Post("/api/login", R"({"password": "right-password"})", "application/json");
    ASSERT_TRUE(login);
    ASSERT_EQ(login->status, 200);
    const std::string csrf = login->body.substr(9, 32);
    const std::string cookie = login->get_header_value("Set-Cookie");
    const httplib::Headers headers = {{"Cookie", cookie.substr(0, cookie.find(';'))},
                                      {"X-CSRF-Token", csrf}};
    const auto sent =
        client.Post("/api/command", headers, R"({"command": "say hi"})", "application/json");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->status, 200) << sent->body;
    EXPECT_EQ(backend.Calls().back(), "execute say hi");
    EXPECT_NE(backend.LastCallThread(), GetCurrentThreadId());
}

TEST_F(WebServerTest, ABusyPortIsReportedAndTheFirstListenerGoesOn) {
    ASSERT_TRUE(server.Start(config).listening);
    ConsoleRing otherConsole;
    test::FakeBackend otherBackend(otherConsole);
    WebServer second(otherBackend, otherConsole);
    WebConfig same = config;
    same.port = server.Port();
    const StartResult result = second.Start(same);
    EXPECT_FALSE(result.listening);
    EXPECT_NE(result.message.find("already in use"), std::string::npos) << result.message;
    EXPECT_EQ(otherBackend.Calls().back(), "notice " + result.message);
    EXPECT_EQ(Client().Get("/")->status, 200);

    same.address = "10.255.255.1";  // no such address on this machine
    EXPECT_FALSE(second.Start(same).listening);
}

TEST_F(WebServerTest, AnAddressBeyondLoopbackIsWarnedOfInTheConsole) {
    config.address = "0.0.0.0";
    ASSERT_TRUE(server.Start(config).listening);
    EXPECT_EQ(backend.Calls().back(), std::string("notice ") + kNetworkWarning);
}

TEST_F(WebServerTest, StartsOnlyWithAPasswordAndStopsAtOnceAnyNumberOfTimes) {
    WebConfig none = config;
    none.password = {};
    const StartResult refused = server.Start(none);
    EXPECT_FALSE(refused.listening);
    EXPECT_NE(refused.message.find("no password"), std::string::npos);

    // A stop right after a start must not leave the accept loop running (it would hang here).
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(server.Start(config).listening);
        server.Stop();
    }
    server.Stop();
    EXPECT_FALSE(server.Listening());
    EXPECT_EQ(server.Port(), 0);
    EXPECT_EQ(backend.Calls().back(), "notice Web administration stopped.");
}

}  // namespace
}  // namespace korvane::web
