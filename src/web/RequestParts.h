// The parts of a request the API reads: a cookie, a JSON body's members, the host an
// authority names, the media type. Each gives empty for what is missing or malformed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane::web {

// The value of cookie `name` in a Cookie header ("a=1; b=2"), or empty.
std::string CookieValue(const std::string& header, const std::string& name);
// Member `key` of a JSON object body: an integer within int's range, or a string.
std::optional<int> IntMember(const std::string& body, const char* key);
std::optional<std::string> StringMember(const std::string& body, const char* key);
// ASCII letters in lower case, the rest as it is.
std::string Lower(std::string_view text);
// The host an authority names ("name", "name:port", "[v6]", "[v6]:port"), in lower case; empty
// when the authority is malformed.
std::string HostOf(std::string_view authority);
// The media type of a Content-Type header is JSON ("application/json; charset=utf-8" is).
bool IsJsonType(std::string_view type);

}  // namespace korvane::web
