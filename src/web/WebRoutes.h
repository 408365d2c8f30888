// What the listener does with a request: the checks every request passes before any handler
// (method, declared body length, header size), JSON answers for every error, and the API's
// paths handed to the API.
#pragma once

#include <functional>
#include <string_view>

namespace korvane::web {

class Listener;
class WebApi;

// Told of every answer the routes give: the request's path, the status and the seconds from
// the request's first byte to the answer's last.
using RequestServed = std::function<void(std::string_view path, int status, double seconds)>;

// Sets `listener`'s handlers; `api` must outlive the listener's serving.
void RouteRequests(Listener& listener, WebApi& api, RequestServed served = {});

}  // namespace korvane::web
