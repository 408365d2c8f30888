// Runs the web administration's listener with the stand-in host, for the HTTP and browser
// tests on the Linux side:  web_test_host <port, 0 for any> <password>
// Prints the listener's console line, serves until its standard input closes, then stops.
// A thread ticks at about 30 per second and reports its measured rate as the update rate, so
// the tests can see that the listener's load does not slow a ticking thread.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "FakeBackend.h"
#include "web/Crypto.h"
#include "web/WebServer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: web_test_host <port> <password>\n");
        return 2;
    }
    korvane::web::ConsoleRing console;
    korvane::test::FakeBackend backend(console);
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
        using namespace std::chrono;
        auto next = steady_clock::now();
        auto windowStart = next;
        int ticks = 0;
        while (!stop) {
            next += microseconds(33000);
            std::this_thread::sleep_until(next);
            ++ticks;
            const auto now = steady_clock::now();
            if (now - windowStart >= seconds(1)) {
                backend.SetUpdateRate(
                    static_cast<float>(ticks / duration<double>(now - windowStart).count()));
                ticks = 0;
                windowStart = now;
            }
        }
    });

    korvane::web::WebConfig config;
    config.enabled = true;
    config.port = std::atoi(argv[1]);
    config.password = korvane::web::HashPassword(argv[2]);
    int result = 0;
    {
        korvane::web::WebServer server(backend, console);
        const auto started = server.Start(config);
        std::printf("%s\n", started.message.c_str());
        std::fflush(stdout);
        if (started.listening) {
            std::string line;
            while (std::getline(std::cin, line)) {
            }
            server.Stop();
        } else {
            result = 1;
        }
    }
    stop = true;
    ticker.join();
    return result;
}
