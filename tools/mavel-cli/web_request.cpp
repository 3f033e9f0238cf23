#include "web_request.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include "pocketjson/json.h"

namespace mavel::web {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool isTokenCharacter(char c) noexcept {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return false;
    return std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
}

bool isToken(std::string_view text) noexcept { return !text.empty() && std::ranges::all_of(text, isTokenCharacter); }

char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerCase(std::string_view text) {
    std::string lowered(text);
    std::ranges::transform(lowered, lowered.begin(), lowerAscii);
    return lowered;
}

std::string_view trimmed(std::string_view text) noexcept {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<std::size_t> decimal(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits ||
        !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::size_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

HeadParse malformed(std::string error) {
    HeadParse parse;
    parse.state = HeadState::Malformed;
    parse.error = std::move(error);
    return parse;
}

bool parseRequestLine(std::string_view line, HttpRequest& request) {
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos) return false;
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, second - first - 1);
    const std::string_view version = line.substr(second + 1);
    if (!isToken(method) || (version != "HTTP/1.1" && version != "HTTP/1.0")) return false;
    const bool printable = std::ranges::all_of(target, [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F;
    });
    if (target.empty() || target.front() != '/' || !printable) return false;
    const std::size_t question = target.find('?');
    request.method = method;
    request.path = target.substr(0, question);
    request.query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
    if (const std::size_t hash = request.query.find('#'); hash != std::string::npos) request.query.resize(hash);
    return true;
}

// Content-Length given twice must agree; a body in chunks is not taken.
std::string readBodyLength(HttpRequest& request) {
    std::optional<std::size_t> length;
    for (const auto& [name, value] : request.headers) {
        if (name == "transfer-encoding") return "bodies in chunks are not accepted";
        if (name != "content-length") continue;
        const std::optional<std::size_t> given = decimal(value, 12);
        if (!given || (length && *length != *given)) return "Content-Length is not one decimal number";
        length = given;
    }
    request.contentLength = length.value_or(0);
    return std::string();
}

int hexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                   ? 1
                             : lead >= 0xC2 && lead < 0xE0 ? 2
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF5 ? 4
                                                           : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr std::array<std::uint32_t, 5> kSmallest{0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::vector<std::string_view> split(std::string_view text, char delimiter) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(delimiter, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

// The resources whose route is the path itself, without parameters.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kPlainRoutes{{
    {"DeviceNotification", "DeviceNotification"},
    {"Screens", "Screens"},
    {"PowerManagementSettings", "PowerManagementSettings"},
    {"System/Information", "SystemInformation"},
    {"System/Processes", "SystemProcesses"},
    {"System/USBDevices", "SystemUSBDevices"},
    {"System/Applications", "SystemApplications"},
    {"System/ApplicationWindows", "SystemApplicationWindows"},
    {"System/KEXT", "SystemKEXT"},
    {"System/Printers", "SystemPrinters"},
    {"System/LoginState", "SystemLoginState"},
    {"System/LockState", "SystemLockState"},
    {"System/ScreenSaver", "SystemScreenSaver"},
    {"System/PreferredLanguage", "SystemPreferredLanguage"},
    {"System/LoginItem", "SystemLoginItem"},
    {"System/EventLog/Backup", "SystemEventLogBackup"},
}};

// A route with parameters: a fixed prefix of segments, then one segment per
// parameter, each taken whole (a %2F inside one stays part of its value).
struct ParameterRoute {
    std::string_view prefix;
    std::string_view exportName;
    std::array<std::string_view, 2> parameters;  // an empty name ends the list
};

constexpr std::array<ParameterRoute, 4> kParameterRoutes{{
    {"Screens/index", "ScreenAtIndex", {"index", ""}},
    {"Screens/point", "ScreensForPoint", {"point", ""}},
    {"Screens/monitor", "ScreensForMonitor", {"serial", "product"}},
    {"System/Processes", "SystemProcesses", {"process", ""}},
}};

// An index is at most nine digits, so it always fits the library's 32 bits.
constexpr std::size_t kMaxIndexDigits = 9;

RouteOutcome notFound(std::string_view route) {
    return RouteOutcome{std::nullopt, 404, "no resource at /mavel.internal/" + std::string(route)};
}

RouteOutcome badEscape(std::string_view what) {
    return RouteOutcome{std::nullopt, 400,
                        std::string(what) + " holds a broken %-escape, a NUL or bytes that are not UTF-8"};
}

// Fills params from the segments after the prefix; a status other than 200 on failure.
RouteOutcome parameterCall(const ParameterRoute& route, const std::vector<std::string_view>& segments,
                           std::string_view whole) {
    const std::size_t wanted = route.parameters[1].empty() ? 1 : 2;
    if (segments.size() != wanted) return notFound(whole);
    pocketjson::Value params;
    for (std::size_t i = 0; i < wanted; ++i) {
        const std::string name(route.parameters[i]);
        if (name == "index") {
            const std::optional<std::size_t> index = decimal(segments[i], kMaxIndexDigits);
            if (!index) return notFound(whole);
            params[name] = *index;
            continue;
        }
        std::optional<std::string> value = percentDecode(segments[i], false);
        if (!value) return badEscape("the path");
        params[name] = *value;
    }
    return RouteOutcome{ExportCall{std::string(route.exportName), pocketjson::toJson(params), std::string()}, 200, {}};
}

// Every name=value becomes a text member, a bare name the member true.
RouteOutcome queryText(std::string_view query, ExportCall& call) {
    pocketjson::Value object;
    bool any = false;
    for (std::string_view piece : split(query, '&')) {
        if (piece.empty()) continue;
        const std::size_t equals = piece.find('=');
        const std::optional<std::string> name = percentDecode(piece.substr(0, equals), true);
        if (!name) return badEscape("the query");
        if (name->empty()) return RouteOutcome{std::nullopt, 400, "the query has a member without a name"};
        if (object.hasKey(*name)) {
            return RouteOutcome{std::nullopt, 400, "the query names " + *name + " twice"};
        }
        if (equals == std::string_view::npos) {
            object[*name] = true;
        } else if (const std::optional<std::string> value = percentDecode(piece.substr(equals + 1), true)) {
            object[*name] = *value;
        } else {
            return badEscape("the query");
        }
        any = true;
    }
    if (any) call.query = pocketjson::toJson(object);
    return RouteOutcome{std::move(call), 200, {}};
}

}  // namespace

std::optional<std::string_view> HttpRequest::header(std::string_view lowerCaseName) const {
    const auto found = std::ranges::find(headers, lowerCaseName, &std::pair<std::string, std::string>::first);
    if (found == headers.end()) return std::nullopt;
    return std::string_view(found->second);
}

HeadParse parseHead(std::string_view received) {
    const std::size_t end = received.find("\r\n\r\n");
    if (end == std::string_view::npos || end + 4 > kMaxHeadBytes) {
        HeadParse parse;
        if (received.size() >= kMaxHeadBytes) {
            parse.state = HeadState::TooLarge;
            parse.error = "the request head is longer than " + std::to_string(kMaxHeadBytes) + " bytes";
        }
        return parse;
    }
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= end;) {
        const std::size_t stop = received.find(kLineEnd, start);
        lines.push_back(received.substr(start, stop - start));
        start = stop + kLineEnd.size();
    }
    HeadParse parse;
    if (!parseRequestLine(lines.front(), parse.request))
        return malformed("the request line is not METHOD /target HTTP/1.x");
    if (lines.size() - 1 > kMaxHeaderCount) {
        parse.state = HeadState::TooLarge;
        parse.error = "more than " + std::to_string(kMaxHeaderCount) + " header lines";
        return parse;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) {
            return malformed("a header line is not Name: value");
        }
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (std::ranges::any_of(value, [](char c) { return c == '\0' || c == '\r' || c == '\n'; })) {
            return malformed("a header value holds a control character");
        }
        parse.request.headers.emplace_back(lowerCase(line.substr(0, colon)), std::string(value));
    }
    if (std::string error = readBodyLength(parse.request); !error.empty()) return malformed(std::move(error));
    parse.state = HeadState::Complete;
    parse.headBytes = end + 4;
    return parse;
}

std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+' && plusIsSpace) {
            decoded += ' ';
        } else if (text[i] != '%') {
            decoded += text[i];
        } else if (i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    if (decoded.find('\0') != std::string::npos || !isUtf8(decoded)) return std::nullopt;
    return decoded;
}

RouteOutcome mapRoute(std::string_view route, std::string_view query) {
    ExportCall call;
    const auto plain = std::ranges::find(kPlainRoutes, route, &std::pair<std::string_view, std::string_view>::first);
    if (plain != kPlainRoutes.end()) {
        call.exportName = plain->second;
        return queryText(query, call);
    }
    for (const ParameterRoute& candidate : kParameterRoutes) {
        if (!route.starts_with(candidate.prefix) || route.substr(candidate.prefix.size(), 1) != "/") continue;
        const std::vector<std::string_view> segments = split(route.substr(candidate.prefix.size() + 1), '/');
        if (std::ranges::any_of(segments, &std::string_view::empty)) return notFound(route);
        RouteOutcome outcome = parameterCall(candidate, segments, route);
        if (!outcome.call) return outcome;
        return queryText(query, *outcome.call);
    }
    return notFound(route);
}

std::vector<std::string> routePatterns() {
    std::vector<std::string> patterns;
    for (const auto& [path, exportName] : kPlainRoutes) {
        patterns.push_back("/mavel.internal/" + std::string(path) + "  " + std::string(exportName));
    }
    for (const ParameterRoute& route : kParameterRoutes) {
        std::string pattern = "/mavel.internal/" + std::string(route.prefix);
        for (std::string_view name : route.parameters) {
            if (!name.empty()) pattern += "/<" + std::string(name) + ">";
        }
        patterns.push_back(pattern + "  " + std::string(route.exportName));
    }
    return patterns;
}

bool sameSecret(std::string_view expected, std::string_view given) noexcept {
    unsigned difference = expected.size() == given.size() ? 0U : 1U;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const char other = i < given.size() ? given[i] : '\0';
        difference |= static_cast<unsigned char>(expected[i] ^ other);
    }
    return difference == 0;
}

std::optional<std::string_view> cookieValue(std::string_view cookies, std::string_view name) {
    for (std::string_view piece : split(cookies, ';')) {
        piece = trimmed(piece);
        const std::size_t equals = piece.find('=');
        if (equals != std::string_view::npos && piece.substr(0, equals) == name) return piece.substr(equals + 1);
    }
    return std::nullopt;
}

bool isOwnHost(std::string_view host, int port) {
    const std::size_t colon = host.rfind(':');
    if (colon == std::string_view::npos || host.substr(colon + 1) != std::to_string(port)) return false;
    const std::string_view name = host.substr(0, colon);
    return name == "127.0.0.1" || name == "[::1]" || name == "localhost";
}

bool isOwnOrigin(std::string_view origin, int port) {
    constexpr std::string_view kScheme = "http://";
    return origin.starts_with(kScheme) && isOwnHost(origin.substr(kScheme.size()), port);
}

std::string eventFrame(std::string_view name, std::string_view payload) {
    std::string frame = "event: " + std::string(name) + "\n";
    for (std::string_view line : split(payload, '\n')) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        frame.append("data: ").append(line).append("\n");
    }
    return frame + "\n";
}

std::optional<std::string_view> mediaType(std::string_view fileName) {
    constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kTypes{{
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".json", "application/json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
    }};
    for (const auto& [extension, type] : kTypes) {
        if (fileName.ends_with(extension)) return type;
    }
    return std::nullopt;
}

ServeParse parseServeArguments(const std::vector<std::string>& arguments) {
    ServeOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (i + 1 >= arguments.size() || (argument != "--port" && argument != "--web")) {
            return ServeParse{std::nullopt, "serve takes only --port N and --web DIR, not " + argument};
        }
        const std::string& value = arguments[++i];
        if (argument == "--web") {
            options.webFolder = value;
            continue;
        }
        const std::optional<std::size_t> port = decimal(value, 5);
        if (!port || *port > 65535)
            return ServeParse{std::nullopt, "--port needs a number from 0 to 65535, not " + value};
        options.port = static_cast<int>(*port);
    }
    return ServeParse{options, std::string()};
}

}  // namespace mavel::web
