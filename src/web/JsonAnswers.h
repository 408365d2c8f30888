// The JSON answers of the API's request handlers (WebApi.cpp, EngineRequests.cpp).
#pragma once

#include <nlohmann/json.hpp>

#include "web/WebApi.h"

namespace korvane::web {

using nlohmann::json;

// `value` as the body; texts that are not UTF-8 are replaced rather than refused.
ApiResponse JsonResponse(const json& value, int status = 200);
inline ApiResponse Ok() {
    return JsonResponse({{"ok", true}});
}

}  // namespace korvane::web
