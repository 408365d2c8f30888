// Reading the parts of a request; nothing here trusts what it reads.
#include "web/RequestParts.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <climits>

namespace korvane::web {

namespace {

using nlohmann::json;

// The body as a JSON object, or empty.
std::optional<json> ParseObject(const std::string& body) {
    json value = json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object()) return std::nullopt;
    return value;
}

}  // namespace

std::string CookieValue(const std::string& header, const std::string& name) {
    size_t at = 0;
    while (at < header.size()) {
        while (at < header.size() && (header[at] == ' ' || header[at] == ';')) ++at;
        const size_t end = std::min(header.find(';', at), header.size());
        const std::string_view pair(header.data() + at, end - at);
        if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 &&
            pair[name.size()] == '=')
            return std::string(pair.substr(name.size() + 1));
        at = end;
    }
    return {};
}

std::optional<int> IntMember(const std::string& body, const char* key) {
    const auto object = ParseObject(body);
    if (!object) return std::nullopt;
    const auto found = object->find(key);
    if (found == object->end() || !found->is_number_integer()) return std::nullopt;
    const auto value = found->get<long long>();
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::string> StringMember(const std::string& body, const char* key) {
    const auto object = ParseObject(body);
    if (!object) return std::nullopt;
    const auto found = object->find(key);
    if (found == object->end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string HostOf(std::string_view authority) {
    size_t end = authority.find(':');
    if (!authority.empty() && authority.front() == '[') {  // an IPv6 address: "[::1]:8080"
        end = authority.find(']');
        if (end == authority.npos) return {};
        ++end;
    }
    const std::string_view host = authority.substr(0, end);
    if (end < authority.size()) {
        const std::string_view port = authority.substr(end + 1);
        if (authority[end] != ':' || port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != port.npos)
            return {};
    }
    return Lower(host);
}

bool IsJsonType(std::string_view type) {
    type = type.substr(0, type.find(';'));
    while (!type.empty() && type.back() == ' ') type.remove_suffix(1);
    return Lower(type) == "application/json";
}

}  // namespace korvane::web
