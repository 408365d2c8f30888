// The listener under the web administration: cpp-httplib's server with the bounds this program
// needs added around it. Only the web area's own sources include this (it brings the library).
#pragma once

// Every source that includes the library must see the same settings.
#define CPPHTTPLIB_LISTEN_BACKLOG 64
#include <httplib.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "web/WebServer.h"

namespace korvane::web {

uint64_t SteadyMs();

// Sent with every answer, the listener's own included.
const httplib::Headers& SecurityHeaders();

// The sockets being served and the time by which each one's current request must be done.
class ConnectionTable {
  public:
    // False when the table is full or stopping: the connection is not to be served.
    bool Admit(socket_t sock);
    bool Stopping() const;
    void Leave(socket_t sock);
    // 0: no deadline (waiting between requests, which the keep-alive time bounds).
    void SetDeadline(socket_t sock, uint64_t at);
    // Shuts down every socket whose request is past its deadline.
    void Sweep(uint64_t now);
    // Shuts down every socket and admits none from now on.
    void Stop();

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
// The request being served on the calling thread; null outside a request.
RequestState* CurrentRequest();

// Admits at most kMaxConnections at a time (the rest get a 503 at once), caps the bytes one
// request may consume, and gives each request a deadline that a sweep enforces by shutting the
// socket down, so a slow client cannot hold a thread for long.
class Listener final : public httplib::Server {
  public:
    explicit Listener(ConnectionTable& table);
    // Closes the listening socket, which ends the accept loop. Unlike the library's stop(),
    // this also works before the loop has begun, so a stop right after the start cannot leave
    // the loop running.
    void Close();

  private:
    bool process_and_close_socket(socket_t sock) override;
    bool ServeRequest(socket_t sock, httplib::Stream& stream, bool closeConnection, bool& closed);
    void Reject(socket_t sock);

    ConnectionTable& table_;
};

}  // namespace korvane::web
