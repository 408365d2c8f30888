// The metrics token, and GET /metrics as the API answers it.
#include "web/MetricsToken.h"

#include <algorithm>
#include <fstream>

#include "web/Crypto.h"
#include "web/WebApi.h"

namespace korvane::web {

std::string NewMetricsToken() {
    std::vector<uint8_t> bytes(kMetricsTokenRandomBytes);
    if (!RandomBytes(bytes.data(), bytes.size())) return {};
    std::string token = ToHex(bytes);
    std::fill(bytes.begin(), bytes.end(), uint8_t{0});
    return token;
}

std::vector<uint8_t> MetricsTokenHash(std::string_view token) {
    return Sha256(token);
}

bool ReadMetricsTokenFile(const std::string& path, std::string& token, std::string& error) {
    error.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "the metrics token file " + path + " cannot be read";
        return false;
    }
    // Enough for the longest token and its line end, and to see that it goes on beyond.
    std::string text(kMaxMetricsTokenBytes + 3, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    if (text.ends_with('\n')) text.pop_back();
    if (text.ends_with('\r')) text.pop_back();
    const bool visible =
        std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
    if (!visible || text.size() < kMinMetricsTokenBytes || text.size() > kMaxMetricsTokenBytes)
        error = "the metrics token in " + path + " must be one line of " +
                std::to_string(kMinMetricsTokenBytes) + " to " +
                std::to_string(kMaxMetricsTokenBytes) + " visible ASCII characters";
    if (!error.empty()) {
        std::fill(text.begin(), text.end(), '\0');
        return false;
    }
    token = std::move(text);
    return true;
}

std::string_view BearerToken(std::string_view authorization) {
    constexpr std::string_view scheme = "bearer ";
    if (authorization.size() <= scheme.size() ||
        !std::equal(scheme.begin(), scheme.end(), authorization.begin(),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); }))
        return {};
    authorization.remove_prefix(scheme.size());
    while (!authorization.empty() && authorization.front() == ' ') authorization.remove_prefix(1);
    while (!authorization.empty() && authorization.back() == ' ') authorization.remove_suffix(1);
    return authorization;
}

bool MetricsTokenMatches(std::string_view token, const std::vector<uint8_t>& hash) {
    if (token.empty() || hash.empty()) return false;
    // Hashes of equal length, whatever was sent, compared without an early end.
    const std::vector<uint8_t> sent = Sha256(token);
    return ConstantTimeEqual({reinterpret_cast<const char*>(sent.data()), sent.size()},
                             {reinterpret_cast<const char*>(hash.data()), hash.size()});
}

void WebApi::ServeMetrics(std::vector<uint8_t> tokenHash, std::function<std::string()> scrape) {
    std::lock_guard lock(metricsMutex_);
    metricsToken_ = std::move(tokenHash);
    if (scrape) scrape_ = std::move(scrape);
}

ApiResponse WebApi::Metrics(const ApiRequest& request) {
    std::vector<uint8_t> token;
    std::function<std::string()> scrape;
    {
        std::lock_guard lock(metricsMutex_);
        token = metricsToken_;
        scrape = scrape_;
    }
    if (token.empty() || !scrape) return ErrorResponse(404, "no metrics token is set");
    // A token is a password to a guesser: the same lockout, counted with failed logins.
    const std::string& address = request.remoteAddress;
    if (const uint64_t wait = throttle_.Begin(address))
        return RetryAfter(429, "too many failed logins; try again later", wait);
    if (!MetricsTokenMatches(BearerToken(request.authorization), token)) {
        LoginFailed(request, "metrics", "token refused");
        ApiResponse refused = ErrorResponse(401, "send the metrics token as a bearer token");
        refused.headers.emplace_back("WWW-Authenticate", "Bearer");
        return refused;
    }
    // Not a success for the lockout: a scraper on the same address must not wipe a guesser's
    // failed logins every few seconds.
    throttle_.Abandon(address);
    ApiResponse response;
    response.contentType = "text/plain; version=0.0.4; charset=utf-8";
    response.body = scrape();
    return response;
}

}  // namespace korvane::web
