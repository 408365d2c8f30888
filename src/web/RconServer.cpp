// The Source RCON listener: binding, the accept loop, one thread per admitted connection, and
// a stop that cuts every wait at once (no thread is ever left blocked in accept or recv: every
// wait is on an event that the stop sets).
#include "web/RconServer.h"

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

#include "web/RconConnection.h"

namespace korvane::web {

namespace {

std::string BindError(int error) {
    switch (error) {
        case WSAEADDRINUSE:
            return "the port is already in use";
        case WSAEADDRNOTAVAIL:
            return "this machine has no such address";
        case WSAEACCES:
            return "the system refused access to the port";
        default:
            return "error " + std::to_string(error);
    }
}

struct SocketTraits {
    using Type = SOCKET;
    static bool Valid(SOCKET sock) { return sock != INVALID_SOCKET && sock != 0; }
    static void Close(SOCKET sock) { closesocket(sock); }
};
using Socket = ui::Owned<SocketTraits>;

}  // namespace

constexpr DWORD kAcceptPollMs = 250;

struct RconServer::Impl {
    struct Connection {
        std::thread thread;
        HANDLE cut = nullptr;  // the stream's, while it lives; under the mutex
        std::atomic<bool> done{false};
    };

    Impl(EngineHost& host, const PasswordRecord& password) : context{host, throttle, password} {}

    // The listening socket's thread: nothing escapes from it.
    void AcceptLoop() {
        for (;;) {
            // The event wakes the loop at once; the short timeout makes it look again anyway,
            // since under Wine a connection reset before its accept can leave the event unset
            // while others wait in the backlog.
            const HANDLE events[] = {stop.Get(), acceptable.Get()};
            const DWORD woken = WaitForMultipleObjects(2, events, FALSE, kAcceptPollMs);
            if (woken != WAIT_OBJECT_0 + 1 && woken != WAIT_TIMEOUT) return;
            WSANETWORKEVENTS happened;
            WSAEnumNetworkEvents(listening.Get(), acceptable.Get(), &happened);
            for (int tries = 0; tries < 64; ++tries) {
                Socket sock(accept(listening.Get(), nullptr, nullptr));
                if (!sock) {
                    if (WSAGetLastError() == WSAEWOULDBLOCK) break;
                    continue;  // one that was reset before its turn: the next may be fine
                }
                try {
                    Admit(std::move(sock));
                } catch (...) {
                    OutputDebugStringA("Korvane Server: an RCON connection could not start\n");
                }
            }
        }
    }

    void Admit(Socket sock) {
        std::lock_guard lock(mutex);
        connections.remove_if([](Connection& c) {
            if (!c.done) return false;
            c.thread.join();
            return true;
        });
        // Past the bound, the newcomer is closed at once (its socket goes here).
        if (stopping || connections.size() >= static_cast<size_t>(kMaxConnections)) return;
        const BOOL noDelay = TRUE;  // an answer and its terminator go out at once
        setsockopt(sock.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                   sizeof noDelay);
        Connection& connection = connections.emplace_back();
        try {
            connection.thread = std::thread([this, &connection, owned = std::move(sock)]() mutable {
                Serve(connection, std::move(owned));
            });
        } catch (...) {
            connections.pop_back();  // no thread: nothing to join
            throw;
        }
    }

    // A connection's thread: nothing escapes from it.
    void Serve(Connection& connection, Socket sock) {
        try {
            ConnectionStream stream(sock.Get());
            struct Registered {
                Impl& impl;
                Connection& connection;
                Registered(Impl& i, Connection& c, HANDLE cut) : impl(i), connection(c) {
                    std::lock_guard lock(impl.mutex);
                    connection.cut = cut;
                    if (impl.stopping) SetEvent(cut);
                }
                ~Registered() {
                    std::lock_guard lock(impl.mutex);
                    connection.cut = nullptr;
                }
            } registered(*this, connection, stream.CutEvent());
            std::string address;
            int peerPort = 0;
            stream.get_remote_ip_and_port(address, peerPort);
            ServeRcon(context, stream, address);
        } catch (...) {
            OutputDebugStringA("Korvane Server: unexpected failure on an RCON connection\n");
        }
        shutdown(sock.Get(), SD_BOTH);
        sock.Reset();
        connection.done = true;
    }

    void Stop() {
        SetEvent(stop.Get());
        if (acceptThread.joinable()) acceptThread.join();
        {
            std::lock_guard lock(mutex);
            stopping = true;
            for (Connection& connection : connections)
                if (connection.cut) SetEvent(connection.cut);
        }
        // No new connection comes now: the list is the accept thread's no more.
        for (Connection& connection : connections) connection.thread.join();
        connections.clear();
    }

    LoginThrottle throttle{&SteadyMs};
    RconContext context;
    Socket listening;
    ui::Handle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    ui::Handle acceptable{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread acceptThread;
    std::mutex mutex;
    bool stopping = false;
    std::list<Connection> connections;
    int port = 0;
};

RconServer::RconServer(EngineHost& host) : host_(host) {}

RconServer::~RconServer() {
    StopListening();
}

StartResult RconServer::Start(const WebConfig& config) {
    Stop();
    StartResult result;
    const std::string where = config.address + ":" + std::to_string(config.port);
    const auto fail = [&](const std::string& why) {
        result.message = "Source RCON could not listen on " + where + ": " + why;
    };
    if (!config.password.IsSet()) {
        result.message = config.passwordUnusable
                             ? "Source RCON is off: the stored password no longer works."
                             : "Source RCON is off: no password is set.";
    } else if (!IsValidAddress(config.address)) {
        fail("not an IPv4 address");
    } else {
        auto impl = std::make_unique<Impl>(host_, config.password);
        impl->listening.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_port = htons(static_cast<u_short>(config.port));
        inet_pton(AF_INET, config.address.c_str(), &at.sin_addr);
        const BOOL exclusive = TRUE;
        int length = sizeof at;
        if (!impl->listening || !impl->stop || !impl->acceptable) {
            fail("no socket could be made");
        } else if (setsockopt(impl->listening.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                              reinterpret_cast<const char*>(&exclusive), sizeof exclusive) != 0 ||
                   bind(impl->listening.Get(), reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
                   listen(impl->listening.Get(), SOMAXCONN) != 0 ||
                   getsockname(impl->listening.Get(), reinterpret_cast<sockaddr*>(&at), &length) !=
                       0 ||
                   WSAEventSelect(impl->listening.Get(), impl->acceptable.Get(), FD_ACCEPT) != 0) {
            fail(BindError(WSAGetLastError()));
        } else {
            impl->port = ntohs(at.sin_port);
            impl->acceptThread = std::thread([raw = impl.get()] { raw->AcceptLoop(); });
            impl_ = std::move(impl);
            result.listening = true;
            result.message = "Source RCON on " + config.address + ":" + std::to_string(impl_->port);
        }
    }
    host_.Note(result.message);
    if (result.listening && !IsLoopbackAddress(config.address)) host_.Note(kNetworkWarning);
    return result;
}

void RconServer::Stop() {
    if (StopListening()) host_.Note("Source RCON stopped.");
}

bool RconServer::StopListening() {
    if (!impl_) return false;
    impl_->Stop();
    impl_.reset();
    return true;
}

int RconServer::Port() const {
    return impl_ ? impl_->port : 0;
}

}  // namespace korvane::web
