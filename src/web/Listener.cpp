// The listener's connections: admission, per-request byte caps and deadlines, and the few
// answers the library itself gives none for.
//
// The library serves each connection on a pool thread through a virtual it lets servers
// override; the override here admits the connection and runs its keep-alive loop over a
// stream of its own, whose waits enforce the deadlines.
#include "web/Listener.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "web/WebApi.h"

namespace korvane::web {

namespace {

// Threads beyond one a slot: they admit newcomers (making room) and turn away the rare one
// that finds every slot answering; they never wait long.
constexpr size_t kSpareWorkers = 4;
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

bool WriteAll(httplib::Stream& stream, const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        const ssize_t sent = stream.write(text.data() + at, text.size() - at);
        if (sent <= 0) return false;
        at += static_cast<size_t>(sent);
    }
    return true;
}

bool IsLoopback(const std::string& address) {
    return address.starts_with("127.") || address == "::1" || address.starts_with("::ffff:127.");
}

// The body length a request declares; 0 when it declares none it may send.
size_t DeclaredBody(const httplib::Request& req) {
    const std::string length = req.get_header_value("Content-Length");
    size_t bytes = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), bytes);
    if (error != std::errc() || end != length.data() + length.size() || bytes > kMaxBodyBytes)
        return 0;
    return bytes;
}

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

ConnectionTable::Admission ConnectionTable::Admit(socket_t sock, const std::string& address,
                                                  HANDLE cut, uint64_t now) {
    std::lock_guard lock(mutex_);
    if (stopping_) return Admission::Stopping;
    if (!IsLoopback(address)) {
        const auto held = std::count_if(slots_.begin(), slots_.end(), [&](const auto& slot) {
            return slot.second.address == address;
        });
        if (static_cast<size_t>(held) >= kMaxPerAddress && !CutOldest(&address))
            return Admission::Full;
    }
    if (slots_.size() >= static_cast<size_t>(kMaxConnections) && !CutOldest(nullptr))
        return Admission::Full;
    slots_[sock] = Slot{address, now, false, cut};
    return Admission::Admitted;
}

bool ConnectionTable::CutOldest(const std::string* address) {
    auto oldest = slots_.end();
    for (auto slot = slots_.begin(); slot != slots_.end(); ++slot) {
        if (slot->second.answering || (address && slot->second.address != *address)) continue;
        if (oldest == slots_.end() || slot->second.since < oldest->second.since) oldest = slot;
    }
    if (oldest == slots_.end()) return false;
    // Its thread sees the event in its next wait (at once if it is waiting), closes the
    // connection and leaves; the slot is free from now on.
    SetEvent(oldest->second.cut);
    slots_.erase(oldest);
    return true;
}

void ConnectionTable::Answering(socket_t sock, bool answering) {
    std::lock_guard lock(mutex_);
    if (const auto slot = slots_.find(sock); slot != slots_.end())
        slot->second.answering = answering;
}

void ConnectionTable::Since(socket_t sock, uint64_t now) {
    std::lock_guard lock(mutex_);
    if (const auto slot = slots_.find(sock); slot != slots_.end()) {
        slot->second.answering = false;
        slot->second.since = now;
    }
}

void ConnectionTable::Leave(socket_t sock) {
    std::lock_guard lock(mutex_);
    slots_.erase(sock);
}

void ConnectionTable::Stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (const auto& entry : slots_) SetEvent(entry.second.cut);
}

ConnectionStream::ConnectionStream(socket_t sock)
    : sock_(sock),
      cut_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      network_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    // The socket becomes non-blocking: every wait is then one of Wait's, on both events.
    if (!cut_ || !network_ ||
        WSAEventSelect(sock_, network_.Get(), FD_READ | FD_WRITE | FD_CLOSE) != 0)
        throw std::runtime_error("no events for a web connection");
}

ConnectionStream::~ConnectionStream() {
    WSAEventSelect(sock_, nullptr, 0);
}

bool ConnectionStream::Wait(uint64_t until) {
    const uint64_t now = SteadyMs();
    const HANDLE events[] = {cut_.Get(), network_.Get()};
    const DWORD waitMs =
        static_cast<DWORD>(std::min<uint64_t>(until - std::min(now, until), INFINITE - 1));
    if (WaitForMultipleObjects(2, events, FALSE, waitMs) != WAIT_OBJECT_0 + 1) {
        // Out of time (or failing): the connection ends here, whatever the library would
        // still try to read or write (an error answer, the next request).
        SetEvent(cut_.Get());
        return false;
    }
    WSANETWORKEVENTS happened;
    WSAEnumNetworkEvents(sock_, network_.Get(), &happened);  // resets the event
    return true;
}

int ConnectionStream::Fill(uint64_t until) {
    offset_ = filled_ = 0;
    for (;;) {
        if (Cut()) return -1;
        const int got = recv(sock_, buffer_, sizeof buffer_, 0);
        if (got >= 0) {
            filled_ = static_cast<size_t>(got);
            return got;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK || !Wait(until)) return -1;
    }
}

bool ConnectionStream::WaitForRequest(uint64_t until) {
    return offset_ < filled_ || Fill(until) > 0;
}

void ConnectionStream::FinishAnswer() {
    shutdown(sock_, SD_SEND);
    const uint64_t until = SteadyMs() + 500;
    for (int i = 0; i < 64 && Fill(until) > 0; ++i) {
    }
}

bool ConnectionStream::is_readable() const {
    return offset_ < filled_ || !Cut();
}

bool ConnectionStream::is_writable() const {
    return !Cut() && SteadyMs() < deadline_;
}

ssize_t ConnectionStream::read(char* ptr, size_t size) {
    if (offset_ == filled_) {
        const int got = Fill(deadline_);
        if (got <= 0) return got;
    }
    const size_t count = std::min(size, filled_ - offset_);
    std::memcpy(ptr, buffer_ + offset_, count);
    offset_ += count;
    return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
    const int chunk = static_cast<int>(std::min<size_t>(size, 64 * 1024));
    for (;;) {
        if (Cut()) return -1;
        const int sent = send(sock_, ptr, chunk, 0);
        if (sent >= 0) return sent;
        if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
        if (writeWaits_) writeWaits_();
        if (!Wait(deadline_)) return -1;
    }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    httplib::detail::get_remote_ip_and_port(sock_, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    httplib::detail::get_local_ip_and_port(sock_, ip, port);
}

ssize_t BoundedStream::read(char* ptr, size_t size) {
    if (left_ == 0) {
        exceeded_ = true;
        return -1;
    }
    const ssize_t got = inner_.read(ptr, std::min(size, left_));
    if (got > 0) left_ -= static_cast<size_t>(got);
    if (then_ && Consumed() >= notifyAt_) std::exchange(then_, nullptr)();
    return got;
}

void BoundedStream::WhenConsumed(size_t total, std::function<void()> then) {
    notifyAt_ = total;
    then_ = std::move(then);
    if (Consumed() >= notifyAt_) std::exchange(then_, nullptr)();
}

Listener::Listener(ConnectionTable& table) : table_(table) {
    new_task_queue = [] { return new httplib::ThreadPool(kMaxConnections + kSpareWorkers); };
    set_default_headers(SecurityHeaders());
    set_keep_alive_timeout(kIdleSeconds);
    set_keep_alive_max_count(kKeepAliveRequests);  // what the Keep-Alive header tells
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
        ConnectionStream stream(sock);
        std::string address;
        int port = 0;
        stream.get_remote_ip_and_port(address, port);
        switch (table_.Admit(sock, address, stream.CutEvent(), SteadyMs())) {
            case ConnectionTable::Admission::Admitted: {
                // Leaves the table before the stream (and its event) goes.
                struct Slot {
                    ConnectionTable& table;
                    socket_t sock;
                    ~Slot() { table.Leave(sock); }
                } slot{table_, sock};
                served = ServeConnection(sock, stream);
                break;
            }
            case ConnectionTable::Admission::Full:
                Reject(stream);
                break;
            case ConnectionTable::Admission::Stopping:
                break;
        }
    } catch (...) {
        OutputDebugStringA("Korvane Server: unexpected failure serving a web connection\n");
    }
    shutdown(sock, SD_BOTH);
    closesocket(sock);
    return served;
}

bool Listener::ServeConnection(socket_t sock, ConnectionStream& stream) {
    // A client that leaves its answers unread (pipelining requests it never reads the answers
    // of, say) must not hold its slot as one being answered.
    stream.WhenWriteWaits([this, sock] { table_.Answering(sock, false); });
    bool ok = false;
    for (size_t left = kKeepAliveRequests; left > 0; --left) {
        if (!stream.WaitForRequest(SteadyMs() + kIdleSeconds * 1000)) break;
        table_.Since(sock, SteadyMs());
        bool closed = false;
        ok = ServeRequest(sock, stream, left == 1, closed);
        table_.Since(sock, SteadyMs());
        if (!ok || closed) break;
    }
    return ok;
}

bool Listener::ServeRequest(socket_t sock, ConnectionStream& stream, bool closeConnection,
                            bool& closed) {
    BoundedStream bounded(stream, kMaxHeaderBytes + kMaxBodyBytes);
    RequestState state{&bounded};
    struct Current {
        explicit Current(RequestState* state) { currentRequest = state; }
        ~Current() { currentRequest = nullptr; }
    } current(&state);
    stream.SetDeadline(SteadyMs() + kRequestSeconds * 1000);
    const auto setup = [&](httplib::Request& req) {
        // Every resource is small: a Range is ignored and the whole resource sent (many
        // ranges of one would build an answer many times its size).
        req.ranges.clear();
        // Once its body is in, the request is being answered and keeps its slot.
        bounded.WhenConsumed(bounded.Consumed() + DeclaredBody(req),
                             [&] { table_.Answering(sock, true); });
    };
    bool ok = process_request(bounded, closeConnection, closed, setup);
    if (bounded.Exceeded() && !bounded.Wrote()) {
        // The request line alone was past the cap: the library gave up before any answer.
        static const std::string tooLarge = RawAnswer(431, "Request Header Fields Too Large",
                                                      "the request line and headers exceed 8 KB");
        WriteAll(bounded, tooLarge);
        stream.FinishAnswer();
        ok = false;
    }
    if (state.close || bounded.Exceeded()) closed = true;
    return ok;
}

void Listener::Reject(ConnectionStream& stream) {
    static const std::string response = RawAnswer(
        503, "Service Unavailable", "too many connections; try again", "Retry-After: 1\r\n");
    stream.SetDeadline(SteadyMs() + 1000);
    WriteAll(stream, response);
    stream.FinishAnswer();
}

}  // namespace korvane::web
