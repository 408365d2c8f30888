// A Source RCON conversation. The protocol's frames are read by their size field, never by
// what one read returns, and the size is judged before anything else is read.
#include "web/RconConnection.h"

#include <algorithm>
#include <optional>

#include "host/SecretValues.h"
#include "settings/SettingValues.h"
#include "web/AuditLine.h"
#include "web/Crypto.h"
#include "web/RconPacket.h"
#include "web/RconServer.h"
#include "web/TextCodec.h"

namespace korvane::web {

namespace {

std::string Ordinal(int n) {
    const int tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        if (n % 10 == 1) suffix = "st";
        if (n % 10 == 2) suffix = "nd";
        if (n % 10 == 3) suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

class Conversation {
  public:
    Conversation(RconContext& context, ConnectionStream& stream, const std::string& address)
        : context_(context), stream_(stream), address_(address) {}

    void Run() {
        for (;;) {
            const int idle = loggedIn_ ? RconServer::kIdleSeconds : RconServer::kLoginSeconds;
            if (!stream_.WaitForRequest(SteadyMs() + idle * 1000ull)) return;
            stream_.SetDeadline(SteadyMs() + RconServer::kPacketSeconds * 1000ull);
            const std::optional<rcon::Packet> packet = Read();
            if (!packet || !Handle(*packet)) return;
        }
    }

  private:
    bool ReadExact(char* into, size_t size) {
        for (size_t at = 0; at < size;) {
            const ssize_t got = stream_.read(into + at, size - at);
            if (got <= 0) return false;
            at += static_cast<size_t>(got);
        }
        return true;
    }

    std::optional<rcon::Packet> Read() {
        char sizeField[4];
        if (!ReadExact(sizeField, sizeof sizeField)) return std::nullopt;
        const std::optional<int32_t> size = rcon::RequestSize(sizeField);
        if (!size) return std::nullopt;
        std::string rest(static_cast<size_t>(*size), '\0');
        if (!ReadExact(rest.data(), rest.size())) return std::nullopt;
        return rcon::ParseRequest(rest);
    }

    bool Send(const std::string& bytes) {
        stream_.SetDeadline(SteadyMs() + RconServer::kPacketSeconds * 1000ull);
        for (size_t at = 0; at < bytes.size();) {
            const ssize_t sent = stream_.write(bytes.data() + at, bytes.size() - at);
            if (sent <= 0) return false;
            at += static_cast<size_t>(sent);
        }
        return true;
    }

    // False when the connection is to end.
    bool Handle(const rcon::Packet& packet) {
        if (packet.type == rcon::kAuth) return Login(packet);
        // Nothing but a login is heard before one succeeds.
        if (!loggedIn_) return false;
        if (packet.type == rcon::kResponseValue ||
            (packet.type == rcon::kExecCommand && packet.body.empty())) {
            // A probe sent after a command: mirrored, then the terminator, so the client
            // knows every packet of the answer before it has come.
            return Send(rcon::Encode(packet.id, rcon::kResponseValue, {}) +
                        rcon::Encode(packet.id, rcon::kResponseValue, rcon::kTerminatorBody));
        }
        if (packet.type != rcon::kExecCommand) return false;
        return Send(rcon::EncodeAnswer(packet.id, Execute(packet.body)));
    }

    bool Login(const rcon::Packet& packet) {
        // The empty value goes before the (slow) check: clients that read each packet
        // through a buffer of their own would lose an answer that came close behind it.
        if (!Send(rcon::Encode(packet.id, rcon::kResponseValue, {}))) return false;
        const auto refuse = [&] { return Send(rcon::Encode(-1, rcon::kAuthResponse, {})); };
        if (!BeginTry()) {
            // Locked out: no hash, and no more tries on this connection.
            refuse();
            stream_.FinishAnswer();
            return false;
        }
        // A long key makes every iteration dearer: past the longest password it is wrong.
        const bool right = packet.body.size() <= kMaxPasswordBytes &&
                           VerifyPassword(packet.body, context_.password);
        if (right) {
            context_.throttle.Succeeded(address_);
            loggedIn_ = true;
            Note("login");
            return Send(rcon::Encode(packet.id, rcon::kAuthResponse, {}));
        }
        loggedIn_ = false;
        const bool locked = context_.throttle.Failed(address_);
        const int count =
            locked ? LoginThrottle::kMaxFailures : context_.throttle.Failures(address_);
        Note("login refused (" + Ordinal(count) + " in a minute)");
        if (!locked) return refuse();
        Note("locked out");
        refuse();
        stream_.FinishAnswer();
        return false;
    }

    // Whether this login may be checked now. Other tries from the same addresses still being
    // checked hold it back until they are judged (a fleet's bots log in together), within
    // the packet's time; a lockout refuses it at once.
    bool BeginTry() {
        LoginThrottle& throttle = context_.throttle;
        const uint64_t giveUp = SteadyMs() + RconServer::kPacketSeconds * 1000ull;
        while (throttle.Begin(address_) != 0) {
            if (throttle.LockedFor(address_) != 0 || SteadyMs() >= giveUp ||
                WaitForSingleObject(stream_.CutEvent(), 50) != WAIT_TIMEOUT)
                return false;
        }
        return true;
    }

    // The answer's text, UTF-8 as clients expect.
    std::string Execute(const std::string& body) {
        const std::optional<std::string> command = Utf8ToAnsi(body);
        if (!command) return "The command is not UTF-8.\n";
        const bool oneLine = std::none_of(command->begin(), command->end(), [](char c) {
            return static_cast<unsigned char>(c) < 32 || c == 127;
        });
        if (!oneLine || command->size() > kMaxTypedCommandLength)
            return "A command is one line of at most " + std::to_string(kMaxTypedCommandLength) +
                   " characters.\n";
        // The command as typed may set a password: the audit line hides its value.
        Note(HideSecretValue(*command));
        EngineHost& host = context_.host;
        EngineHost::CommandAnswer answer(RconServer::kMaxAnswerBytes);
        if (!host.EchoAndExecute(*command, EngineHost::Echo::WithHandOver, &answer))
            return host.EngineLoaded() ? "Engine busy\n" : "The engine is not running.\n";
        // What leaves the operator's screen has every password value hidden.
        HideSecretValues(answer.lines);
        std::string text;
        for (const std::string& line : answer.lines) {
            text += line;
            if (!line.empty() && line.back() != '\n') text += '\n';
        }
        if (answer.cut)
            text += "(the answer was cut at " + std::to_string(RconServer::kMaxAnswerBytes / 1024) +
                    " KB)\n";
        return AnsiToUtf8(text);
    }

    void Note(const std::string& what) { context_.host.Note(AuditLine("rcon", address_, what)); }

    RconContext& context_;
    ConnectionStream& stream_;
    const std::string& address_;
    bool loggedIn_ = false;
};

}  // namespace

void ServeRcon(RconContext& context, ConnectionStream& stream, const std::string& address) {
    try {
        Conversation(context, stream, address).Run();
    } catch (...) {
        OutputDebugStringA("Korvane Server: unexpected failure serving an RCON connection\n");
    }
}

}  // namespace korvane::web
