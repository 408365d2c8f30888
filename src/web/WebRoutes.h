// What the listener does with a request: the checks every request passes before any handler
// (method, declared body length, header size), JSON answers for every error, and the API's
// paths handed to the API.
#pragma once

namespace korvane::web {

class Listener;
class WebApi;

// Sets `listener`'s handlers; `api` must outlive the listener's serving.
void RouteRequests(Listener& listener, WebApi& api);

}  // namespace korvane::web
