// Password values hidden from console lines, as typed and as the engine reports them.
#include <gtest/gtest.h>

#include "host/SecretValues.h"

namespace korvane {
namespace {

TEST(SecretValues, HidesOnlyAPasswordVariablesValue) {
    const char* const cases[][2] = {
        {"  +RemoteAdminPassword \t\"rcon secret\"", "  +RemoteAdminPassword \t\"****\""},
        {"serverpassword changed to \"a\"\n", "serverpassword changed to \"****\"\n"},
        {"  serverpassword \"x\" (flags 1)\" (flags 5)", "  serverpassword \"****\" (flags 5)"},
        {"echo\nserverpassword changed to plain", "echo\nserverpassword ****"},
        {"say serverpassword hunter22", "say serverpassword hunter22"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> batch = {"status", c[0]};
        HideSecretValues(batch);
        EXPECT_EQ(batch, (std::vector<std::string>{"status", c[1]})) << c[0];
    }
}

}  // namespace
}  // namespace korvane
