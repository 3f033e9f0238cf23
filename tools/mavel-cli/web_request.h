#pragma once
// The browser bridge of mavel-cli serve without the sockets: reading an HTTP
// request head, the mapping from /mavel.internal paths to exports and their
// request texts, and the checks every request passes. Nothing here needs
// Windows, so that tests can reach all of it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mavel::web {

// What one request may bring at most; a slow or greedy client gets no more.
inline constexpr std::size_t kMaxHeadBytes = 16 * 1024;
inline constexpr std::size_t kMaxHeaderCount = 64;
inline constexpr std::size_t kMaxBodyBytes = 256 * 1024;

struct HttpRequest {
    std::string method;
    std::string path;                                          // the target before '?', still percent-encoded
    std::string query;                                         // the target after '?', still percent-encoded
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
    std::size_t contentLength = 0;

    // The value of the header, or nothing when it is absent.
    std::optional<std::string_view> header(std::string_view lowerCaseName) const;
};

enum class HeadState { Incomplete, Complete, Malformed, TooLarge };

struct HeadParse {
    HeadState state = HeadState::Incomplete;
    std::size_t headBytes = 0;  // Complete: where the body starts
    HttpRequest request;        // Complete
    std::string error;          // Malformed, TooLarge: why
};

// Reads the head from what has arrived so far. Only CRLF line ends, no
// folded lines, no chunked bodies: anything a strict reader cannot tell
// apart without guessing is Malformed.
HeadParse parseHead(std::string_view received);

// Percent-decoding: %XX with two hexadecimal digits is that byte, '+' is a
// space only in a query; nothing when an escape is broken or the result is
// not UTF-8 or holds a NUL (it travels as a zero-terminated text).
std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace);

// One call of a resource export: its name and the params and query texts.
struct ExportCall {
    std::string exportName;
    std::string params;  // JSON text, "" when the route has none
    std::string query;   // JSON text, "" when the URL has none
};

struct RouteOutcome {
    std::optional<ExportCall> call;
    int status = 200;   // 404 when no route matches, 400 for a broken escape
    std::string error;  // why, when call is empty
};

// route is the path after "/mavel.internal/", still percent-encoded; query
// the part of the target after '?'.
RouteOutcome mapRoute(std::string_view route, std::string_view query);

// The documented route patterns, one line each, for the usage text and tests.
std::vector<std::string> routePatterns();

// Compares in time that depends only on the lengths, so that a guess learns
// nothing from how long a refusal takes.
bool sameSecret(std::string_view expected, std::string_view given) noexcept;

// The value of a cookie in a Cookie header, or nothing.
std::optional<std::string_view> cookieValue(std::string_view cookies, std::string_view name);

// The names the server answers to on port: the loopback addresses and localhost.
bool isOwnHost(std::string_view host, int port);
// An Origin header names the server itself ("http://" + an own host).
bool isOwnOrigin(std::string_view origin, int port);

// One Server-Sent Events frame; a line break in the payload starts another data line.
std::string eventFrame(std::string_view name, std::string_view payload);

// The media type of a file of web/, or nothing for a file that is not served.
std::optional<std::string_view> mediaType(std::string_view fileName);

// serve [--port N] [--web DIR]
struct ServeOptions {
    int port = 8640;
    std::optional<std::string> webFolder;
};

struct ServeParse {
    std::optional<ServeOptions> options;
    std::string error;
};

ServeParse parseServeArguments(const std::vector<std::string>& arguments);

}  // namespace mavel::web
