// The listener under the web administration: cpp-httplib's server with the bounds this program
// needs added around it. Only the web area's own sources include this (it brings the library).
#pragma once

// Every source that includes the library must see the same settings.
#define CPPHTTPLIB_LISTEN_BACKLOG 64
#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "ui/Handles.h"
#include "web/WebServer.h"

// The listener replaces the library's per-connection loop (the private virtual
// Server::process_and_close_socket, with its keep-alive wait and per-request SocketStream) by
// its own, and serves each request through the protected Server::process_request with its
// request-setup hook (called once the headers and the Range are read); it reads addresses
// through detail::get_remote_ip_and_port and get_local_ip_and_port, and the routes name
// statuses through detail::status_message and count on an error handler's "unhandled" only
// sparing the answer the range cutting. It sizes the worker pool through new_task_queue and
// closes the listening socket it took over through the protected svr_sock_. These are
// internals of this version: another one must be checked against them first.
static_assert(std::string_view(CPPHTTPLIB_VERSION) == "0.11.4",
              "the listener relies on cpp-httplib 0.11.4's internals");

namespace korvane::web {

uint64_t SteadyMs();

// Sent with every answer, the listener's own included.
const httplib::Headers& SecurityHeaders();

// The connections being served. Every connection holds a slot while it lives; when a newcomer
// finds no free one, the connection that has gone longest without a request answered (the one
// slowest to send its request, or idle the longest) is cut to make room, so a client that
// sends its request promptly always gets a slot however many slow ones hold the rest.
class ConnectionTable {
  public:
    enum class Admission { Admitted, Full, Stopping };
    // A remote address other than loopback holds at most this many slots (a newcomer beyond
    // it takes the place of that address's own oldest); behind a local reverse proxy every
    // client comes from loopback, so loopback holds any number.
    static constexpr size_t kMaxPerAddress = 8;

    // Takes a slot for `sock`, cutting another connection (setting its `cut` event) if need
    // be. Full only when every slot's request is being answered.
    Admission Admit(socket_t sock, const std::string& address, HANDLE cut, uint64_t now);
    // From `now` on the connection reads a new request, or waits for one.
    void Since(socket_t sock, uint64_t now);
    // Whether the connection's request, arrived whole, is being answered: it is not cut to
    // make room meanwhile, unless its client stops reading the answer.
    void Answering(socket_t sock, bool answering);
    void Leave(socket_t sock);
    // Cuts every connection and admits none from now on.
    void Stop();

  private:
    struct Slot {
        std::string address;
        uint64_t since = 0;  // when it began waiting for (or reading) its current request
        bool answering = false;
        HANDLE cut = nullptr;
    };
    // Cuts the slot that has waited longest among those not being answered and, when
    // `address` is given, from that address; false when there is none.
    bool CutOldest(const std::string* address);

    std::mutex mutex_;
    std::map<socket_t, Slot> slots_;
    bool stopping_ = false;
};

// One connection's socket as the library's stream: reads are buffered across requests (so
// pipelined requests are all served), and every wait is bounded by the current deadline and
// ends at once when the connection is cut. Waits sleep on events, so an idle connection costs
// nothing.
class ConnectionStream final : public httplib::Stream {
  public:
    explicit ConnectionStream(socket_t sock);
    ~ConnectionStream() override;
    ConnectionStream(const ConnectionStream&) = delete;
    ConnectionStream& operator=(const ConnectionStream&) = delete;

    // Set when the connection is to end; its waits then fail at once.
    HANDLE CutEvent() const { return cut_.Get(); }
    // A read or write that would wait past `at` (steady clock) fails and cuts the connection.
    void SetDeadline(uint64_t at) { deadline_ = at; }
    // Calls `then` whenever a write has to wait for the client to read.
    void WhenWriteWaits(std::function<void()> then) { writeWaits_ = std::move(then); }
    // True when a request has begun to arrive before `until`.
    bool WaitForRequest(uint64_t until);
    // Ends the sending side after a last answer and reads, briefly and boundedly, what the
    // client still sends: closing with unread data would reset the connection, and the client
    // might lose the answer before it reads it.
    void FinishAnswer();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return sock_; }

  private:
    // recv into the buffer, waiting until `until`; > 0 bytes, 0 at the end, < 0 otherwise.
    int Fill(uint64_t until);
    // Waits for a network event before `until`; false when cut, or else out of time or
    // failing, which cuts the connection.
    bool Wait(uint64_t until);
    bool Cut() const { return WaitForSingleObject(cut_.Get(), 0) == WAIT_OBJECT_0; }

    socket_t sock_;
    ui::Handle cut_;
    ui::Handle network_;
    uint64_t deadline_ = 0;
    std::function<void()> writeWaits_;
    char buffer_[4096];
    size_t offset_ = 0;
    size_t filled_ = 0;
};

// A stream that lets one request consume at most `limit` bytes of its connection.
class BoundedStream final : public httplib::Stream {
  public:
    BoundedStream(httplib::Stream& inner, size_t limit)
        : inner_(inner), left_(limit), limit_(limit) {}

    bool is_readable() const override { return inner_.is_readable(); }
    bool is_writable() const override { return inner_.is_writable(); }
    ssize_t read(char* ptr, size_t size) override;
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
    // Calls `then` once, as soon as `total` bytes have been consumed (now, if they have).
    void WhenConsumed(size_t total, std::function<void()> then);
    bool Exceeded() const { return exceeded_; }
    bool Wrote() const { return wrote_; }

  private:
    httplib::Stream& inner_;
    size_t left_;
    size_t limit_;
    bool exceeded_ = false;
    bool wrote_ = false;
    size_t notifyAt_ = 0;
    std::function<void()> then_;
};

// What the handlers of the request on this thread need to know about its connection.
struct RequestState {
    BoundedStream* stream = nullptr;
    bool close = false;  // close the connection after this answer
    // When its first byte was there (the connection waits for it before the request begins).
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};
// The request being served on the calling thread; null outside a request.
RequestState* CurrentRequest();

// Serves at most kMaxConnections at a time (making room as the table says; a 503 only when
// every slot is being answered), caps the bytes one request may consume and gives each request
// a deadline that its own waits enforce, so a slow client cannot hold a thread for long.
class Listener final : public httplib::Server {
  public:
    explicit Listener(ConnectionTable& table);
    // Closes the listening socket, which ends the accept loop. Unlike the library's stop(),
    // this also works before the loop has begun, so a stop right after the start cannot leave
    // the loop running.
    void Close();

  private:
    bool process_and_close_socket(socket_t sock) override;
    bool ServeConnection(socket_t sock, ConnectionStream& stream);
    bool ServeRequest(socket_t sock, ConnectionStream& stream, bool closeConnection, bool& closed);
    void Reject(ConnectionStream& stream);

    ConnectionTable& table_;
};

}  // namespace korvane::web
