// The listener: cpp-httplib's server with the bounds this program needs added around it.
//
// The library serves each connection on a pool thread through a virtual it lets servers
// override; the override here admits at most kMaxConnections at a time (the rest get a 503 at
// once), caps the bytes one request may consume, and gives each request a deadline that a
// sweep enforces by shutting the socket down, so a slow client cannot hold a thread for long.
#define CPPHTTPLIB_LISTEN_BACKLOG 64
#include <httplib.h>

#include "web/WebServer.h"

#include <charconv>
#include <map>
#include <mutex>
#include <thread>

#include "web/Crypto.h"
#include "web/WebApi.h"

namespace korvane::web {

namespace {

// Threads that only turn away connections beyond the limit; they never wait long.
constexpr size_t kRejectWorkers = 4;
constexpr size_t kKeepAliveRequests = 100;

uint64_t SteadyMs() {
    return GetTickCount64();
}

const httplib::Headers& SecurityHeaders() {
    static const httplib::Headers headers = {
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
         "img-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "no-referrer"},
        {"Cache-Control", "no-store"},
    };
    return headers;
}

// The sockets being served and the time by which each one's current request must be done.
class ConnectionTable {
  public:
    bool Admit(socket_t sock) {
        std::lock_guard lock(mutex_);
        if (stopping_ || deadlines_.size() >= static_cast<size_t>(kMaxConnections)) return false;
        deadlines_[sock] = 0;
        return true;
    }
    bool Stopping() const {
        std::lock_guard lock(mutex_);
        return stopping_;
    }
    void Leave(socket_t sock) {
        std::lock_guard lock(mutex_);
        deadlines_.erase(sock);
    }
    // 0: no deadline (waiting between requests, which the keep-alive time bounds).
    void SetDeadline(socket_t sock, uint64_t at) {
        std::lock_guard lock(mutex_);
        deadlines_[sock] = at;
        if (stopping_) shutdown(sock, SD_BOTH);
    }
    // Shutting a socket down (never closing it: its thread still owns it) ends any read or
    // write it is blocked in.
    void Sweep(uint64_t now) {
        std::lock_guard lock(mutex_);
        for (auto& [sock, deadline] : deadlines_) {
            if (deadline != 0 && now >= deadline) {
                shutdown(sock, SD_BOTH);
                deadline = 0;
            }
        }
    }
    void Stop() {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (const auto& entry : deadlines_) shutdown(entry.first, SD_BOTH);
    }

  private:
    mutable std::mutex mutex_;
    std::map<socket_t, uint64_t> deadlines_;
    bool stopping_ = false;
};

// A stream that lets one request consume at most `limit` bytes of its connection.
class BoundedStream final : public httplib::Stream {
  public:
    BoundedStream(httplib::Stream& inner, size_t limit)
        : inner_(inner), left_(limit), limit_(limit) {}

    bool is_readable() const override { return inner_.is_readable(); }
    bool is_writable() const override { return inner_.is_writable(); }
    ssize_t read(char* ptr, size_t size) override {
        if (left_ == 0) {
            exceeded_ = true;
            return -1;
        }
        const ssize_t got = inner_.read(ptr, std::min(size, left_));
        if (got > 0) left_ -= static_cast<size_t>(got);
        return got;
    }
    ssize_t write(const char* ptr, size_t size) override {
        wrote_ = true;
        return inner_.write(ptr, size);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        inner_.get_remote_ip_and_port(ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        inner_.get_local_ip_and_port(ip, port);
    }
    socket_t socket() const override { return inner_.socket(); }

    size_t Consumed() const { return limit_ - left_; }
    bool Exceeded() const { return exceeded_; }
    bool Wrote() const { return wrote_; }

  private:
    httplib::Stream& inner_;
    size_t left_;
    size_t limit_;
    bool exceeded_ = false;
    bool wrote_ = false;
};

// What the handlers of the request on this thread need to know about its connection.
struct RequestState {
    BoundedStream* stream = nullptr;
    bool close = false;  // close the connection after this answer
};
thread_local RequestState* currentRequest = nullptr;

// A whole answer for the cases the library gives none: a connection turned away, a request
// line too long to read.
std::string RawAnswer(int status, const char* reason, const std::string& message,
                      const char* extra = "") {
    const std::string body = ErrorResponse(status, message).body;
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& [name, value] : SecurityHeaders()) text += name + ": " + value + "\r\n";
    text += std::string("Content-Type: application/json\r\n") + extra + "Connection: close\r\n";
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    return text;
}

void JsonError(httplib::Response& res, int status, const std::string& message, bool close) {
    const ApiResponse error = ErrorResponse(status, message);
    res.status = status;
    res.set_content(error.body, error.contentType.c_str());
    if (close) {
        res.set_header("Connection", "close");
        if (currentRequest) currentRequest->close = true;
    }
}

// Ends the sending side after a last answer and reads, briefly and boundedly, what the client
// still sends: closing with unread data would reset the connection, and the client might
// lose the answer before it reads it.
void FinishAnswer(socket_t sock) {
    shutdown(sock, SD_SEND);
    const DWORD timeoutMs = 200;
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
               sizeof timeoutMs);
    const uint64_t until = SteadyMs() + 500;
    char discard[4096];
    for (int i = 0; i < 64 && SteadyMs() < until && recv(sock, discard, sizeof discard, 0) > 0;
         ++i) {
    }
}

class ServingPool final : public httplib::ThreadPool {
  public:
    ServingPool(size_t threads, ConnectionTable& table) : ThreadPool(threads), table_(table) {}
    // The library calls this from its accept loop whenever no connection is waiting (every
    // few milliseconds), which is often enough to enforce the request deadlines.
    void on_idle() override { table_.Sweep(SteadyMs()); }

  private:
    ConnectionTable& table_;
};

class Listener final : public httplib::Server {
  public:
    explicit Listener(ConnectionTable& table) : table_(table) {
        new_task_queue = [this] {
            return new ServingPool(kMaxConnections + kRejectWorkers, table_);
        };
    }
    // Closes the listening socket, which ends the accept loop. Unlike the library's stop(),
    // this also works before the loop has begun, so a stop right after the start cannot leave
    // the loop running.
    void Close() {
        const socket_t sock = svr_sock_.exchange(INVALID_SOCKET);
        if (sock != INVALID_SOCKET) {
            shutdown(sock, SD_BOTH);
            closesocket(sock);
        }
    }

  private:
    bool process_and_close_socket(socket_t sock) override;
    bool ServeRequest(socket_t sock, httplib::Stream& stream, bool closeConnection, bool& closed);
    void Reject(socket_t sock);

    ConnectionTable& table_;
};

bool Listener::process_and_close_socket(socket_t sock) {
    // A pool thread's entry: nothing may escape from here.
    bool served = false;
    try {
        if (table_.Admit(sock)) {
            served = httplib::detail::process_server_socket(
                svr_sock_, sock, kKeepAliveRequests, keep_alive_timeout_sec_, read_timeout_sec_,
                read_timeout_usec_, write_timeout_sec_, write_timeout_usec_,
                [&](httplib::Stream& stream, bool closeConnection, bool& closed) {
                    return ServeRequest(sock, stream, closeConnection, closed);
                });
            table_.Leave(sock);
        } else if (!table_.Stopping()) {
            Reject(sock);
        }
    } catch (...) {
        table_.Leave(sock);
        OutputDebugStringA("Korvane Server: unexpected failure serving a web connection\n");
    }
    shutdown(sock, SD_BOTH);
    closesocket(sock);
    return served;
}

bool Listener::ServeRequest(socket_t sock, httplib::Stream& stream, bool closeConnection,
                            bool& closed) {
    BoundedStream bounded(stream, kMaxHeaderBytes + kMaxBodyBytes);
    RequestState state{&bounded};
    struct Current {
        explicit Current(RequestState* state) { currentRequest = state; }
        ~Current() { currentRequest = nullptr; }
    } current(&state);
    table_.SetDeadline(sock, SteadyMs() + kRequestSeconds * 1000);
    bool ok = process_request(bounded, closeConnection, closed, nullptr);
    if (bounded.Exceeded() && !bounded.Wrote()) {
        // The request line alone was past the cap: the library gave up before any answer.
        static const std::string tooLarge = RawAnswer(431, "Request Header Fields Too Large",
                                                      "the request line and headers exceed 8 KB");
        bounded.write(tooLarge.data(), tooLarge.size());
        FinishAnswer(sock);
        ok = false;
    }
    table_.SetDeadline(sock, 0);
    if (state.close || bounded.Exceeded()) closed = true;
    return ok;
}

void Listener::Reject(socket_t sock) {
    static const std::string response = RawAnswer(
        503, "Service Unavailable", "too many connections; try again", "Retry-After: 1\r\n");
    send(sock, response.data(), static_cast<int>(response.size()), 0);
    FinishAnswer(sock);
}

// Why `address`:`port` cannot be bound, asked of the system directly.
std::string BindFailure(const std::string& address, int port) {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (probe == INVALID_SOCKET) return "no socket could be made";
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    const BOOL exclusive = TRUE;
    setsockopt(probe, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    const int error =
        bind(probe, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 ? 0 : WSAGetLastError();
    closesocket(probe);
    switch (error) {
        case WSAEADDRINUSE:
            return "the port is already in use";
        case WSAEADDRNOTAVAIL:
            return "this machine has no such address";
        case WSAEACCES:
            return "the system refused access to the port";
        case 0:
            return "the listener could not start";
        default:
            return "error " + std::to_string(error);
    }
}

}  // namespace

struct WebServer::Impl {
    Impl(AdminBackend& backend, const ConsoleRing& console, const PasswordRecord& password)
        : api(backend, console, password, &SteadyMs, &RandomBytes), listener(table) {
        Configure();
    }
    void Configure();
    void Serve(const httplib::Request& req, httplib::Response& res);

    ConnectionTable table;
    WebApi api;
    Listener listener;
    std::thread thread;
    int port = 0;
};

void WebServer::Impl::Configure() {
    listener.set_default_headers(SecurityHeaders());
    listener.set_keep_alive_timeout(kIdleSeconds);
    listener.set_read_timeout(kIdleSeconds);
    listener.set_write_timeout(kRequestSeconds);
    listener.set_payload_max_length(kMaxBodyBytes);
    // An answer goes out as headers and body in two writes: without this the body waits for
    // the client's delayed acknowledgement of the headers, some 40 ms a request.
    listener.set_tcp_nodelay(true);

    listener.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        using Result = httplib::Server::HandlerResponse;
        if (currentRequest && currentRequest->stream->Consumed() > kMaxHeaderBytes) {
            JsonError(res, 431, "the request line and headers exceed 8 KB", true);
            return Result::Handled;
        }
        if (req.method != "GET" && req.method != "HEAD" && req.method != "POST") {
            JsonError(res, 405, "use GET or POST", true);
            return Result::Handled;
        }
        if (req.method == "POST") {
            // Only bodies of a declared length are read, so the size is refused before any
            // byte of the body is.
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
    });

    listener.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
            // The library refuses an overlong header line with a plain 400, and a request
            // past the byte cap as unreadable: both are headers that are too large.
            const BoundedStream* stream = currentRequest ? currentRequest->stream : nullptr;
            const bool tooLarge =
                stream && (stream->Exceeded() || (res.status == 400 && res.body.empty() &&
                                                  stream->Consumed() > kMaxHeaderBytes));
            if (tooLarge) {
                res.body.clear();
                res.status = 431;
            }
            if (res.body.empty())
                JsonError(res, res.status, httplib::detail::status_message(res.status), tooLarge);
            return httplib::Server::HandlerResponse::Handled;
        }));

    listener.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            JsonError(res, 500, "internal error", true);
        });

    const auto serve = [this](const httplib::Request& req, httplib::Response& res) {
        Serve(req, res);
    };
    for (std::string path : WebApi::Paths()) {
        // The routes are regular expressions: the dots of file names must match only dots.
        for (size_t at = path.find('.'); at != std::string::npos; at = path.find('.', at + 2))
            path.insert(at, "\\");
        listener.Get(path, serve);
        listener.Post(path, serve);
    }
}

void WebServer::Impl::Serve(const httplib::Request& req, httplib::Response& res) {
    ApiRequest request;
    request.method = req.method;
    request.path = req.path;
    for (const auto& [name, value] : req.params) request.params.emplace(name, value);
    request.body = req.body;
    request.cookie = req.get_header_value("Cookie");
    request.csrf = req.get_header_value("X-CSRF-Token");
    request.remoteAddress = req.remote_addr;

    ApiResponse answer = api.Handle(request);
    res.status = answer.status;
    for (const auto& [name, value] : answer.headers) res.set_header(name, value);
    res.set_content(std::move(answer.body), answer.contentType.c_str());
}

WebServer::WebServer(AdminBackend& backend, const ConsoleRing& console)
    : backend_(backend), console_(console) {}

WebServer::~WebServer() {
    StopListening();
}

StartResult WebServer::Start(const WebConfig& config) {
    Stop();
    StartResult result;
    const std::string where = config.address + ":" + std::to_string(config.port);
    if (!config.password.IsSet()) {
        result.message = "Web administration is off: no password is set.";
    } else if (!IsValidAddress(config.address)) {
        result.message =
            "Web administration could not listen on " + where + ": not an IPv4 address";
    } else {
        auto impl = std::make_unique<Impl>(backend_, console_, config.password);
        int port = config.port;
        if (port == 0)
            port = impl->listener.bind_to_any_port(config.address);
        else if (!impl->listener.bind_to_port(config.address, port))
            port = -1;
        if (port <= 0) {
            result.message = "Web administration could not listen on " + where + ": " +
                             BindFailure(config.address, config.port);
        } else {
            impl->port = port;
            impl->thread = std::thread([listener = &impl->listener] {
                try {
                    listener->listen_after_bind();
                } catch (...) {
                    OutputDebugStringA("Korvane Server: the web listener failed\n");
                }
            });
            impl_ = std::move(impl);
            result.listening = true;
            result.message =
                "Web administration on http://" + config.address + ":" + std::to_string(port) + "/";
        }
    }
    backend_.Notice(result.message);
    return result;
}

void WebServer::Stop() {
    if (StopListening()) backend_.Notice("Web administration stopped.");
}

bool WebServer::StopListening() {
    if (!impl_) return false;
    impl_->table.Stop();
    impl_->listener.Close();
    if (impl_->thread.joinable()) impl_->thread.join();
    impl_.reset();
    return true;
}

bool WebServer::Listening() const {
    return impl_ != nullptr;
}

int WebServer::Port() const {
    return impl_ ? impl_->port : 0;
}

}  // namespace korvane::web
