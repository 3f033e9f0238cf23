// mavel-cli serve: HTTP on the loopback addresses, one request per
// connection, each on a thread of its own, in front of the library and the
// stand-in bridge host it answers through.

#include <windows.h>
#include <bcrypt.h>
#include <objbase.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "arguments.h"
#include "bridgehost_control.h"
#include "cfgmgr32_control.h"
#include "devices.h"
#include "platform/detached_thread.h"
#include "platform/handle_owner.h"
#include "platform/path.h"
#include "pocketjson/json.h"
#include "serve.h"
#include "standin_control.h"
#include "web_request.h"

namespace mavel::cli {

namespace {

using kelto::findExport;
using web::HttpRequest;

struct SocketTraits {
    using Handle = SOCKET;
    static Handle invalid() noexcept { return INVALID_SOCKET; }
    static void close(Handle socket) noexcept { closesocket(socket); }
};
using UniqueSocket = kelto::UniqueHandle<SocketTraits>;

using ResourceExport = std::uint32_t(const char*, const char*, const char*, const char*);
using PlainExport = void();
using LoadWorldExport = std::remove_pointer_t<StandinLoadWorldFn>;
using WorldExport = std::remove_pointer_t<StandinWorldFn>;
using FireExport = std::remove_pointer_t<Cfgmgr32StandinFireFn>;

// Every wait on a client ends: one read may take this long, the whole
// request (head and body) at most kRequestDeadlineMs.
constexpr DWORD kSocketTimeoutMs = 5000;
constexpr ULONGLONG kRequestDeadlineMs = 10000;
constexpr int kMaxConnections = 32;
constexpr int kMaxEventStreams = 8;
constexpr std::size_t kMaxQueuedFrames = 256;
constexpr auto kKeepAlive = std::chrono::seconds(15);
// The stand-in host keeps every answer until it is reset; a long-running
// server forgets them now and then, when no call is reading one.
constexpr int kForgetEvery = 256;
// The library ignores a message that follows its start or the previous one
// of its kind too closely (at most 200 ms for a display change).
constexpr ULONGLONG kMessageSpacingMs = 250;
constexpr std::size_t kTokenBytes = 32;
constexpr std::string_view kTokenCookie = "mavel_token";
constexpr std::string_view kInternal = "/mavel.internal/";
constexpr std::string_view kDevelopment = "/mavel.dev/";
constexpr const char* kLibraryFile = "libmavel_x64.dll";
// WM_DISPLAYCHANGE, WM_WTSSESSION_CHANGE.
constexpr std::uint32_t kDisplayChange = 0x7E;
constexpr std::uint32_t kSessionChange = 0x2B1;

// The stand-in that holds each section of a world document.
constexpr std::array<std::pair<std::string_view, const wchar_t*>, 9> kWorldSections{{
    {"ostrel", L"libostrel_x64.dll"},
    {"carvel2", L"libcarvel2_x64.dll"},
    {"pltc", L"libpltc_x64.dll"},
    {"pallet", L"libpallet_x64.dll"},
    {"bramble", L"libbramble.dll"},
    {"trellis", L"libtrellis_x64.dll"},
    {"harbor", L"libHarbor_x64.dll"},
    {"quillon", L"libquillon2_x64.dll"},
    {"cfgmgr32", L"cfgmgr32.dll"},
}};

struct Reply {
    int status = 200;
    std::string type = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::string> headers;  // whole lines without the line end
};

Reply textReply(int status, std::string text) { return Reply{status, "text/plain; charset=utf-8", text + "\n", {}}; }

Reply jsonReply(int status, const pocketjson::Value& value) {
    return Reply{status, "application/json", pocketjson::toJson(value), {}};
}

std::string_view reason(int status) noexcept {
    switch (status) {
        case 200: return "OK";
        case 302: return "Found";
        case 400: return "Bad Request";
        case 401: return "Unauthorized";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 408: return "Request Timeout";
        case 409: return "Conflict";
        case 413: return "Content Too Large";
        case 431: return "Request Header Fields Too Large";
        case 503: return "Service Unavailable";
        default: return "Internal Server Error";
    }
}

// The page's token travels in its address once; no other site may frame
// the page, read its answers or learn the address.
std::string headText(const Reply& reply, std::optional<std::size_t> length) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + std::string(reason(reply.status)) + "\r\n";
    head += "Content-Type: " + reply.type + "\r\n";
    if (length) head += "Content-Length: " + std::to_string(*length) + "\r\n";
    head +=
        "Connection: close\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
        "Referrer-Policy: no-referrer\r\nX-Frame-Options: DENY\r\n"
        "Content-Security-Policy: default-src 'self'; img-src 'self' data:; frame-ancestors 'none'\r\n";
    for (const std::string& line : reply.headers) head += line + "\r\n";
    return head + "\r\n";
}

bool sendAll(SOCKET socket, std::string_view data) {
    while (!data.empty()) {
        const int sent = send(socket, data.data(), static_cast<int>(std::min<std::size_t>(data.size(), 65536)), 0);
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void sendReply(SOCKET socket, const Reply& reply, bool withBody = true) {
    sendAll(socket, headText(reply, reply.body.size()) + (withBody ? reply.body : std::string()));
}

class EventHub {
public:
    struct Stream {
        std::deque<std::string> frames;
        bool overflowed = false;
    };

    std::shared_ptr<Stream> open() {
        const std::lock_guard lock(mutex_);
        if (static_cast<int>(streams_.size()) >= kMaxEventStreams) return nullptr;
        return streams_.emplace_back(std::make_shared<Stream>());
    }

    void close(const std::shared_ptr<Stream>& stream) {
        const std::lock_guard lock(mutex_);
        std::erase(streams_, stream);
    }

    // A stream whose reader falls too far behind is ended rather than let grow.
    void publish(const std::string& frame) {
        {
            const std::lock_guard lock(mutex_);
            for (const auto& stream : streams_) {
                if (stream->frames.size() >= kMaxQueuedFrames) {
                    stream->overflowed = true;
                } else {
                    stream->frames.push_back(frame);
                }
            }
        }
        wake_.notify_all();
    }

    // The frames queued for the stream, after at most kKeepAlive; nothing
    // when it overflowed.
    std::optional<std::string> next(Stream& stream) {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, kKeepAlive, [&] { return !stream.frames.empty() || stream.overflowed; });
        if (stream.overflowed) return std::nullopt;
        std::string frames;
        for (const std::string& frame : stream.frames) frames += frame;
        stream.frames.clear();
        return frames;
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<Stream>> streams_;
};

struct Server {
    HMODULE library = nullptr;
    std::string token;
    int port = 0;
    std::filesystem::path web;
    EventHub events;
    std::atomic<int> connections{0};
    std::shared_mutex hostRecords;
    std::atomic<int> answered{0};
    std::mutex messages;
    ULONGLONG lastMessage = 0;
    std::atomic<bool> screensWatched{false};
};

void publishEvent(const char* name, const char* payload, void* context) {
    static_cast<Server*>(context)->events.publish(web::eventFrame(name ? name : "", payload ? payload : ""));
}

// The window messages a web view host forwards, spaced as the library needs.
void sendWindowMessage(Server& server, std::uint32_t message, std::uint64_t wParam) {
    const std::lock_guard lock(server.messages);
    const ULONGLONG since = GetTickCount64() - server.lastMessage;
    if (since < kMessageSpacingMs) Sleep(static_cast<DWORD>(kMessageSpacingMs - since));
    DWORD session = 0;
    if (message == kSessionChange) ProcessIdToSessionId(GetCurrentProcessId(), &session);
    BridgeHostSendWindowMessage(message, wParam, session);
    server.lastMessage = GetTickCount64();
}

void forgetAnswersNowAndThen(Server& server) {
    if (++server.answered % kForgetEvery != 0) return;
    const std::unique_lock lock(server.hostRecords, std::try_to_lock);
    if (lock.owns_lock()) BridgeHostReset();
}

Reply callResource(Server& server, const HttpRequest& request, std::string_view route, const std::string& body) {
    if (request.method != "GET" && request.method != "PUT" && request.method != "POST" && request.method != "DELETE") {
        return textReply(405, "resources take GET, PUT, POST or DELETE");
    }
    const web::RouteOutcome outcome = web::mapRoute(route, request.query);
    if (!outcome.call) return textReply(outcome.status, outcome.error);
    if (body.find('\0') != std::string::npos) return textReply(400, "the body holds a NUL");
    const web::ExportCall& call = *outcome.call;
    const auto function = findExport<ResourceExport>(server.library, call.exportName.c_str());
    if (function == nullptr) return textReply(500, "the library does not export " + call.exportName);

    const std::string options = optionsText(request.method);
    Reply reply{0, "application/json", {}, {}};
    {
        const std::shared_lock lock(server.hostRecords);
        const std::uint32_t promise = function(options.c_str(), call.params.c_str(), call.query.c_str(), body.c_str());
        if (BridgeHostResponseCount(promise) > 0) {
            reply.status = BridgeHostResponseStatus(promise);
            reply.body = BridgeHostResponseText(promise);
        }
    }
    forgetAnswersNowAndThen(server);
    if (reply.status == 0) return textReply(500, call.exportName + " set no response");
    if (call.exportName == "Screens" && reply.status == 200) server.screensWatched = request.method != "DELETE";
    return reply;
}

// The library loads some stand-ins only when it first needs them, by file
// name, which finds them beside mavel-cli: loading one from there first
// gives the library that same module.
HMODULE standinModule(const wchar_t* file) {
    if (HMODULE loaded = GetModuleHandleW(file)) return loaded;
    return LoadLibraryW(fs::Path::executableDirectory().append(fs::toUtf8(file)).wide().c_str());
}

bool loadSection(const wchar_t* file, std::string_view name, const pocketjson::Value& section) {
    pocketjson::Value document;
    document[std::string(name)] = section;
    const auto load = findExport<LoadWorldExport>(standinModule(file), "StandinLoadWorld");
    return load != nullptr && load(pocketjson::toJson(document).c_str()) != 0;
}

// Each section present replaces that stand-in's world; the others keep theirs.
Reply loadWorld(Server& server, const std::string& body) {
    pocketjson::Value document;
    if (!pocketjson::parseJson(document, body) || !document.isObject()) {
        return textReply(400, "the body is not a JSON object of world sections");
    }
    pocketjson::Value loaded(pocketjson::ValueType::Array);
    for (const auto& [key, section] : document.members()) {
        const std::string name(key);
        const auto found = std::ranges::find(kWorldSections, name, &std::pair<std::string_view, const wchar_t*>::first);
        if (found == kWorldSections.end()) return textReply(400, "no stand-in holds the section " + name);
        if (!loadSection(found->second, name, section))
            return textReply(400, "the stand-in refused the section " + name);
        loaded.append(name);
    }
    // A web view hears of new screens through a display change; the library
    // looks only while it watches screens.
    const bool screensChanged = document.hasKey("carvel2") && server.screensWatched;
    if (screensChanged) sendWindowMessage(server, kDisplayChange, 0);
    pocketjson::Value answer;
    answer["loaded"] = loaded;
    answer["displayChange"] = screensChanged;
    return jsonReply(200, answer);
}

// The stand-in's world changes first, as the hardware does before the
// system reports it; the event reaches the page through the library.
Reply changeDevice(const DeviceKind& kind, bool plug) {
    const auto fire = findExport<FireExport>(GetModuleHandleW(L"cfgmgr32.dll"), "Cfgmgr32StandinFire");
    if (fire == nullptr) {
        return textReply(409,
                         "no configuration-manager stand-in: run serve with WINEDLLOVERRIDES cfgmgr32=n,b and PUT "
                         "DeviceNotification first");
    }
    pocketjson::Value section;
    const auto world = findExport<WorldExport>(standinModule(kind.standinFile), "StandinWorld");
    if (world == nullptr || !pocketjson::parseJson(section, world()) || !section.isObject()) {
        return textReply(500, "cannot read the stand-in's world");
    }
    const pocketjson::Value device = plug ? plugDevice(kind, section) : unplugDevice(kind, section);
    if (device.isNull()) return textReply(409, "the world has no " + std::string(kind.label) + " to unplug");
    if (!loadSection(kind.standinFile, kind.section, section)) return textReply(500, "the stand-in refused the change");
    pocketjson::Value answer;
    answer["device"] = kind.describe(device);
    answer["callbacks"] = fire(plug ? 0 : 1, kind.instanceId);
    return jsonReply(200, answer);
}

// Development aid, kept apart from the resources: changes the stand-in world
// and plays the system's native messages.
Reply develop(Server& server, const HttpRequest& request, std::string_view route, const std::string& body) {
    if (request.method != "POST") return textReply(405, "development routes take POST");
    if (route == "world") return loadWorld(server, body);
    const std::size_t slash = route.find('/');
    const std::string_view action = route.substr(0, slash);
    const std::string_view name = slash == std::string_view::npos ? std::string_view() : route.substr(slash + 1);
    if (action == "send") {
        const WindowMessage* message = findWindowMessage(name);
        if (message == nullptr) return textReply(404, "no window message " + std::string(name));
        sendWindowMessage(server, message->message, message->wParam);
        return textReply(200, "sent " + std::string(name));
    }
    if (action == "plug" || action == "unplug") {
        const DeviceKind* kind = findDeviceKind(name);
        if (kind == nullptr) return textReply(404, "no device kind " + std::string(name));
        return changeDevice(*kind, action == "plug");
    }
    return textReply(404, "no development route " + std::string(route));
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return std::nullopt;
    return std::string{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Only plain names below web/: no dot segments, drive letters or backslashes.
Reply staticFile(const Server& server, const HttpRequest& request) {
    if (request.method != "GET" && request.method != "HEAD") return textReply(405, "files take GET or HEAD");
    const std::optional<std::string> decoded = web::percentDecode(request.path, false);
    if (!decoded) return textReply(400, "the path holds a broken %-escape");
    const std::string relative = *decoded == "/" ? "index.html" : decoded->substr(1);
    std::filesystem::path path = server.web;
    for (std::size_t start = 0; start <= relative.size();) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string segment = relative.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == ".." || segment.find_first_of("\\:") != std::string::npos) {
            return textReply(404, "no file " + *decoded);
        }
        path /= fs::toUtf16(segment);
        start = end + 1;
    }
    const std::optional<std::string_view> type = web::mediaType(relative);
    std::optional<std::string> content = type ? readFile(path) : std::nullopt;
    if (!content) return textReply(404, "no file " + *decoded);
    return Reply{200, std::string(*type), std::move(*content), {}};
}

bool hasToken(const Server& server, const HttpRequest& request) {
    if (const auto given = request.header("x-mavel-token")) return web::sameSecret(server.token, *given);
    const auto cookies = request.header("cookie");
    const auto given = cookies ? web::cookieValue(*cookies, kTokenCookie) : std::nullopt;
    return given && web::sameSecret(server.token, *given);
}

// The start page: the address printed at start carries the token once; the
// page gets it back as a cookie no script can read and goes on without it.
std::optional<Reply> startPage(const Server& server, const HttpRequest& request) {
    if (request.method != "GET" || request.path != "/" || !request.query.starts_with("token=")) return std::nullopt;
    if (!web::sameSecret(server.token, std::string_view(request.query).substr(6))) return std::nullopt;
    Reply reply = textReply(302, "to the dashboard");
    reply.headers.push_back("Location: /");
    reply.headers.push_back("Set-Cookie: " + std::string(kTokenCookie) + "=" + server.token +
                            "; Path=/; HttpOnly; SameSite=Strict");
    return reply;
}

// Host stops pages of other names that resolve to the loopback address;
// Origin and Sec-Fetch-Site stop other sites' pages.
std::optional<Reply> refusal(const Server& server, const HttpRequest& request) {
    const auto host = request.header("host");
    if (!host || !web::isOwnHost(*host, server.port)) return textReply(403, "the Host is not this server");
    if (const auto origin = request.header("origin"); origin && !web::isOwnOrigin(*origin, server.port)) {
        return textReply(403, "the Origin is not this server");
    }
    if (const auto site = request.header("sec-fetch-site"); site && *site == "cross-site") {
        return textReply(403, "requests from other sites are refused");
    }
    if (!hasToken(server, request)) {
        return textReply(401, "no valid token: open the address mavel-cli serve printed");
    }
    return std::nullopt;
}

void streamEvents(Server& server, SOCKET socket) {
    const std::shared_ptr<EventHub::Stream> stream = server.events.open();
    if (!stream) {
        sendReply(socket, textReply(503, "too many event streams"));
        return;
    }
    Reply head{200, "text/event-stream", {}, {}};
    for (bool open = sendAll(socket, headText(head, std::nullopt) + ": connected\n\n"); open;) {
        const std::optional<std::string> frames = server.events.next(*stream);
        open = frames && sendAll(socket, frames->empty() ? std::string(": keep-alive\n\n") : *frames);
    }
    server.events.close(stream);
}

// Reads until the head and body are complete; nothing when the client went
// away or ran out of time (it is told so when it can still listen).
struct Received {
    web::HeadParse head;
    std::string body;
};

std::optional<Received> receive(SOCKET socket) {
    const ULONGLONG deadline = GetTickCount64() + kRequestDeadlineMs;
    std::string data;
    Received received;
    std::array<char, 4096> buffer{};
    for (;;) {
        if (received.head.state == web::HeadState::Incomplete) {
            received.head = web::parseHead(data);
            if (received.head.state == web::HeadState::Malformed || received.head.state == web::HeadState::TooLarge) {
                return received;
            }
        }
        if (received.head.state == web::HeadState::Complete) {
            const std::size_t length = received.head.request.contentLength;
            if (length > web::kMaxBodyBytes) return received;
            if (data.size() >= received.head.headBytes + length) {
                received.body = data.substr(received.head.headBytes, length);
                return received;
            }
        }
        if (GetTickCount64() > deadline) {
            sendReply(socket, textReply(408, "the request took too long"));
            return std::nullopt;
        }
        const int got = recv(socket, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (got <= 0) return std::nullopt;
        data.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

Reply route(Server& server, const HttpRequest& request, const std::string& body) {
    if (request.path.starts_with(kDevelopment)) {
        return develop(server, request, std::string_view(request.path).substr(kDevelopment.size()), body);
    }
    if (request.path.starts_with(kInternal)) {
        return callResource(server, request, std::string_view(request.path).substr(kInternal.size()), body);
    }
    return staticFile(server, request);
}

void serveConnection(Server& server, SOCKET socket) {
    const std::optional<Received> received = receive(socket);
    if (!received) return;
    const web::HeadParse& head = received->head;
    if (head.state == web::HeadState::Malformed) return sendReply(socket, textReply(400, head.error));
    if (head.state == web::HeadState::TooLarge) return sendReply(socket, textReply(431, head.error));
    const HttpRequest& request = head.request;
    if (request.contentLength > web::kMaxBodyBytes) {
        return sendReply(socket,
                         textReply(413, "the body is longer than " + std::to_string(web::kMaxBodyBytes) + " bytes"));
    }
    if (std::optional<Reply> start = startPage(server, request)) return sendReply(socket, *start);
    if (std::optional<Reply> refused = refusal(server, request)) return sendReply(socket, *refused);
    if (request.path == "/mavel.internal/events") {
        if (request.method != "GET") return sendReply(socket, textReply(405, "events take GET"));
        return streamEvents(server, socket);
    }
    sendReply(socket, route(server, request, received->body), request.method != "HEAD");
}

// One failing request ends only its own connection.
void handleConnection(Server& server, UniqueSocket socket) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        serveConnection(server, socket.get());
        shutdown(socket.get(), SD_SEND);
    } catch (...) {
        // Memory ran out or a thread could not start; the server goes on.
    }
    if (SUCCEEDED(com)) CoUninitialize();
    socket.reset();
    --server.connections;
}

void setTimeouts(SOCKET socket) {
    const DWORD timeout = kSocketTimeoutMs;
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
}

void acceptOne(Server& server, SOCKET listener) {
    UniqueSocket client(accept(listener, nullptr, nullptr));
    if (!client) return;
    setTimeouts(client.get());
    if (server.connections.fetch_add(1) >= kMaxConnections) {
        --server.connections;
        sendReply(client.get(), textReply(503, "too many connections"));
        return;
    }
    // Not std::thread: with many short detached threads, winpthreads now and
    // then started one without its work (the client waited for ever on an
    // open socket) or with a null one (the server crashed).
    const bool started = kelto::startDetached(
        [&server, socket = std::move(client)]() mutable { handleConnection(server, std::move(socket)); });
    if (!started) --server.connections;
}

[[noreturn]] void acceptLoop(Server& server, std::vector<UniqueSocket> listeners) {
    for (;;) {
        fd_set ready;
        FD_ZERO(&ready);
        for (const UniqueSocket& listener : listeners) FD_SET(listener.get(), &ready);
        if (select(0, &ready, nullptr, nullptr, nullptr) <= 0) {
            Sleep(10);
            continue;
        }
        for (const UniqueSocket& listener : listeners) {
            if (FD_ISSET(listener.get(), &ready)) acceptOne(server, listener.get());
        }
    }
}

// Bound to one loopback address only; port 0 lets the system choose.
UniqueSocket listenOn(int family, int port) {
    UniqueSocket listener(socket(family, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) return listener;
    const BOOL on = TRUE;
    setsockopt(listener.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_storage address{};
    int length = 0;
    if (family == AF_INET) {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(static_cast<u_short>(port));
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof v4;
    } else {
        setsockopt(listener.get(), IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&on), sizeof on);
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(static_cast<u_short>(port));
        v6.sin6_addr = in6addr_loopback;
        length = sizeof v6;
    }
    if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        listen(listener.get(), SOMAXCONN) != 0) {
        listener.reset();
    }
    return listener;
}

int boundPort(SOCKET listener) {
    sockaddr_in address{};
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

std::optional<std::string> randomToken() {
    std::array<unsigned char, kTokenBytes> bytes{};
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        return std::nullopt;
    }
    std::string token;
    for (const unsigned char byte : bytes) {
        token += "0123456789abcdef"[byte >> 4];
        token += "0123456789abcdef"[byte & 15];
    }
    return token;
}

// web/ of the source tree: beside the program or up to three folders above
// it (build/bin/mavel-cli.exe finds the checkout's web/).
std::optional<std::filesystem::path> findWebFolder(const std::optional<std::string>& given) {
    if (given) return std::filesystem::path(fs::toUtf16(*given));
    std::filesystem::path folder(fs::Path::executableDirectory().wide());
    for (int up = 0; up < 4; ++up, folder = folder.parent_path()) {
        if (std::filesystem::exists(folder / L"web" / L"index.html")) return folder / L"web";
    }
    return std::nullopt;
}

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int fail(const std::string& why, int code) {
    std::fputs(("mavel-cli serve: " + why + "\n").c_str(), stderr);
    return code;
}

// Waits the way a web view host's window thread does, for the library's
// windows and timers of the thread that set it up.
[[noreturn]] void pumpMessagesForever() {
    for (;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int serve(const std::vector<std::string>& arguments) {
    const web::ServeParse parsed = web::parseServeArguments(arguments);
    if (!parsed.options) return fail(parsed.error, 2);
    static Server server;
    const std::optional<std::filesystem::path> web = findWebFolder(parsed.options->webFolder);
    if (!web) return fail("cannot find the folder web/ with index.html; give it with --web DIR", 2);
    server.web = *web;
    const std::optional<std::string> token = randomToken();
    if (!token) return fail("the system's random number generator failed", 3);
    server.token = *token;

    WSADATA winsock{};
    if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return fail("Winsock did not start", 3);
    std::vector<UniqueSocket> listeners;
    listeners.push_back(listenOn(AF_INET, parsed.options->port));
    if (!listeners.back()) return fail("cannot listen on 127.0.0.1:" + std::to_string(parsed.options->port), 3);
    server.port = boundPort(listeners.back().get());
    if (UniqueSocket v6 = listenOn(AF_INET6, server.port)) {
        listeners.push_back(std::move(v6));
    } else {
        std::fputs("mavel-cli serve: no [::1]; serving on 127.0.0.1 only\n", stderr);
    }

    server.library = LoadLibraryExW(fs::Path::executableDirectory().append(kLibraryFile).wide().c_str(), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH);
    const auto setup = server.library ? findExport<PlainExport>(server.library, "Setup") : nullptr;
    if (setup == nullptr) return fail("cannot load libmavel_x64.dll beside mavel-cli", 3);
    BridgeHostSetEventSink(&publishEvent, &server);
    setup();
    server.lastMessage = GetTickCount64();

    const std::string address = "http://127.0.0.1:" + std::to_string(server.port);
    say("mavel-cli serve: listening on 127.0.0.1:" + std::to_string(server.port) +
        (listeners.size() > 1 ? " and [::1]:" + std::to_string(server.port) : std::string()));
    say("token: " + server.token);
    say("open: " + address + "/?token=" + server.token);
    if (!kelto::startDetached(
            [listeners = std::move(listeners)]() mutable { acceptLoop(server, std::move(listeners)); })) {
        return fail("cannot start the thread that accepts connections", 3);
    }
    pumpMessagesForever();
}

}  // namespace mavel::cli
