// The listener's connections: admission, per-request byte caps and deadlines, and the few
// answers the library itself gives none for.
//
// The library serves each connection on a pool thread through a virtual it lets servers
// override; the override here does the admitting, and the pool's idle hook sweeps the
// deadlines.
#include "web/Listener.h"

#include "web/WebApi.h"

namespace korvane::web {

namespace {

// Threads that only turn away connections beyond the limit; they never wait long.
constexpr size_t kRejectWorkers = 4;
constexpr size_t kKeepAliveRequests = 100;

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

}  // namespace

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

RequestState* CurrentRequest() {
    return currentRequest;
}

bool ConnectionTable::Admit(socket_t sock) {
    std::lock_guard lock(mutex_);
    if (stopping_ || deadlines_.size() >= static_cast<size_t>(kMaxConnections)) return false;
    deadlines_[sock] = 0;
    return true;
}

bool ConnectionTable::Stopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
}

void ConnectionTable::Leave(socket_t sock) {
    std::lock_guard lock(mutex_);
    deadlines_.erase(sock);
}

void ConnectionTable::SetDeadline(socket_t sock, uint64_t at) {
    std::lock_guard lock(mutex_);
    deadlines_[sock] = at;
    if (stopping_) shutdown(sock, SD_BOTH);
}

// Shutting a socket down (never closing it: its thread still owns it) ends any read or write
// it is blocked in.
void ConnectionTable::Sweep(uint64_t now) {
    std::lock_guard lock(mutex_);
    for (auto& [sock, deadline] : deadlines_) {
        if (deadline != 0 && now >= deadline) {
            shutdown(sock, SD_BOTH);
            deadline = 0;
        }
    }
}

void ConnectionTable::Stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (const auto& entry : deadlines_) shutdown(entry.first, SD_BOTH);
}

ssize_t BoundedStream::read(char* ptr, size_t size) {
    if (left_ == 0) {
        exceeded_ = true;
        return -1;
    }
    const ssize_t got = inner_.read(ptr, std::min(size, left_));
    if (got > 0) left_ -= static_cast<size_t>(got);
    return got;
}

Listener::Listener(ConnectionTable& table) : table_(table) {
    new_task_queue = [this] { return new ServingPool(kMaxConnections + kRejectWorkers, table_); };
    set_default_headers(SecurityHeaders());
    set_keep_alive_timeout(kIdleSeconds);
    set_read_timeout(kIdleSeconds);
    set_write_timeout(kRequestSeconds);
    set_payload_max_length(kMaxBodyBytes);
    // An answer goes out as headers and body in two writes: without this the body waits for
    // the client's delayed acknowledgement of the headers, some 40 ms a request.
    set_tcp_nodelay(true);
}

void Listener::Close() {
    const socket_t sock = svr_sock_.exchange(INVALID_SOCKET);
    if (sock != INVALID_SOCKET) {
        shutdown(sock, SD_BOTH);
        closesocket(sock);
    }
}

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

}  // namespace korvane::web
