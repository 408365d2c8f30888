// The listener's handlers: request checks, error answers and the API's routes.
#include "web/WebRoutes.h"

#include <charconv>

#include "web/Listener.h"
#include "web/WebApi.h"

namespace korvane::web {

namespace {

using Result = httplib::Server::HandlerResponse;

void JsonError(httplib::Response& res, int status, const std::string& message, bool close) {
    const ApiResponse error = ErrorResponse(status, message);
    res.status = status;
    res.set_content(error.body, error.contentType.c_str());
    if (close) {
        res.set_header("Connection", "close");
        if (RequestState* request = CurrentRequest()) request->close = true;
    }
}

// Refuses, before any handler runs, what no handler should see.
Result CheckRequest(const httplib::Request& req, httplib::Response& res) {
    const RequestState* current = CurrentRequest();
    if (current && current->stream->Consumed() > kMaxHeaderBytes) {
        JsonError(res, 431, "the request line and headers exceed 8 KB", true);
        return Result::Handled;
    }
    if (req.method != "GET" && req.method != "HEAD" && req.method != "POST") {
        JsonError(res, 405, "use GET or POST", true);
        return Result::Handled;
    }
    if (req.method == "POST") {
        // Only bodies of a declared length are read, so the size is refused before any byte
        // of the body is.
        const std::string length = req.get_header_value("Content-Length");
        uint64_t bytes = 0;
        const auto [end, error] =
            std::from_chars(length.data(), length.data() + length.size(), bytes);
        if (length.empty() || req.has_header("Transfer-Encoding")) {
            JsonError(res, 411, "a body needs a Content-Length", true);
            return Result::Handled;
        }
        if (error != std::errc() || end != length.data() + length.size()) {
            JsonError(res, 400, "bad Content-Length", true);
            return Result::Handled;
        }
        if (bytes > kMaxBodyBytes) {
            JsonError(res, 413, "the body exceeds 16 KB", true);
            return Result::Handled;
        }
    }
    return Result::Unhandled;
}

// Gives every error the library answers a JSON body.
Result AnswerError(const httplib::Request&, httplib::Response& res) {
    // The library refuses an overlong header line with a plain 400, and a request past the
    // byte cap as unreadable: both are headers that are too large.
    const RequestState* current = CurrentRequest();
    const BoundedStream* stream = current ? current->stream : nullptr;
    const bool tooLarge = stream && (stream->Exceeded() || (res.status == 400 && res.body.empty() &&
                                                            stream->Consumed() > kMaxHeaderBytes));
    if (tooLarge) {
        res.body.clear();
        res.status = 431;
    }
    if (res.body.empty())
        JsonError(res, res.status, httplib::detail::status_message(res.status), tooLarge);
    // The answer is whole as it is: "handled" would have the library cut it to the request's
    // ranges, which a Range header it could not read leaves half parsed (a 416's body would
    // go out cut, or repeated for every range).
    return Result::Unhandled;
}

void Serve(WebApi& api, const httplib::Request& req, httplib::Response& res) {
    ApiRequest request;
    request.method = req.method;
    request.path = req.path;
    for (const auto& [name, value] : req.params) request.params.emplace(name, value);
    request.body = req.body;
    request.cookie = req.get_header_value("Cookie");
    request.csrf = req.get_header_value("X-CSRF-Token");
    request.host = req.get_header_value("Host");
    request.origin = req.get_header_value("Origin");
    request.referer = req.get_header_value("Referer");
    request.contentType = req.get_header_value("Content-Type");
    request.authorization = req.get_header_value("Authorization");
    request.remoteAddress = req.remote_addr;
    request.localAddress = req.local_addr;

    ApiResponse answer = api.Handle(request);
    res.status = answer.status;
    for (const auto& [name, value] : answer.headers) res.set_header(name, value);
    res.set_content(std::move(answer.body), answer.contentType.c_str());
}

}  // namespace

void RouteRequests(Listener& listener, WebApi& api, RequestServed served) {
    if (served)
        listener.set_logger([served = std::move(served)](const httplib::Request& req,
                                                         const httplib::Response& res) {
            const RequestState* current = CurrentRequest();
            if (!current) return;
            const std::chrono::duration<double> took =
                std::chrono::steady_clock::now() - current->started;
            served(req.path, res.status, took.count());
        });
    listener.set_pre_routing_handler(CheckRequest);
    listener.set_error_handler(httplib::Server::HandlerWithResponse(AnswerError));
    listener.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            JsonError(res, 500, "internal error", true);
        });

    const auto serve = [&api](const httplib::Request& req, httplib::Response& res) {
        Serve(api, req, res);
    };
    for (std::string path : WebApi::Paths()) {
        // The routes are regular expressions: the dots of file names must match only dots.
        for (size_t at = path.find('.'); at != std::string::npos; at = path.find('.', at + 2))
            path.insert(at, "\\");
        listener.Get(path, serve);
        listener.Post(path, serve);
    }
}

}  // namespace korvane::web
