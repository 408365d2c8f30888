// The web administration's life: binding the address, the thread that runs the accept loop,
// and stopping everything again. What a connection may do is the listener's; what a request
// gets is the routes'.
#include "web/WebServer.h"

#include <thread>

#include "web/Crypto.h"
#include "web/Listener.h"
#include "web/WebApi.h"
#include "web/WebRoutes.h"

namespace korvane::web {

namespace {

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
    Impl(AdminBackend& backend, const ConsoleRing& console, const WebConfig& config,
         const PasswordRehashed& rehashed, const MetricsHooks& metrics)
        : api(backend, console, config.password, &SteadyMs, &RandomBytes,
              {config.address, config.hostName}, rehashed),
          listener(table) {
        api.ServeMetrics(config.metricsTokenHash, metrics.scrape);
        RouteRequests(listener, api, metrics.served);
    }

    ConnectionTable table;
    WebApi api;
    Listener listener;
    std::thread thread;
    int port = 0;
};

WebServer::WebServer(AdminBackend& backend, const ConsoleRing& console, PasswordRehashed rehashed)
    : backend_(backend), console_(console), rehashed_(std::move(rehashed)) {}

WebServer::~WebServer() {
    StopListening();
}

StartResult WebServer::Start(const WebConfig& config) {
    Stop();
    StartResult result;
    const std::string where = config.address + ":" + std::to_string(config.port);
    if (!config.password.IsSet()) {
        result.message = config.passwordUnusable
                             ? "Web administration is off: the stored password no longer works."
                             : "Web administration is off: no password is set.";
    } else if (!IsValidAddress(config.address)) {
        result.message =
            "Web administration could not listen on " + where + ": not an IPv4 address";
    } else {
        auto impl = std::make_unique<Impl>(backend_, console_, config, rehashed_, metrics_);
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
    // Said where the address is chosen as well as in the dialog: a switch or a hand-edited file
    // may choose it.
    if (result.listening && !IsLoopbackAddress(config.address)) backend_.Notice(kNetworkWarning);
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

void WebServer::SetMetricsToken(const std::vector<uint8_t>& tokenHash) {
    if (impl_) impl_->api.ServeMetrics(tokenHash);
}

bool WebServer::Listening() const {
    return impl_ != nullptr;
}

int WebServer::Port() const {
    return impl_ ? impl_->port : 0;
}

}  // namespace korvane::web
