#include "request_corpus.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "pocketjson/json.h"

namespace mavel::test {

namespace {

using Pool = std::vector<std::string>;

std::string ramp(int length, const std::string& entry) {
    std::string text = "[";
    for (int i = 0; i < length; ++i) text += (i ? "," : "") + entry;
    return text + "]";
}

std::string gamma(const std::string& red, const std::string& green, const std::string& blue) {
    return R"({"red":)" + red + R"(,"green":)" + green + R"(,"blue":)" + blue + "}";
}

// Values of the wrong type for any member.
const Pool kAnyValue{"null",
                     "true",
                     "0",
                     "-1",
                     "1.5",
                     "1e400",
                     "-0",
                     "9223372036854775808",
                     R"("")",
                     R"("text")",
                     "[]",
                     "{}",
                     "[[[1]]]",
                     R"({"a":{"b":[]}})",
                     R"([1,"2",null])"};
const Pool kIndex{R"({"x":1})", R"("0")", R"("-1")", R"("0x1")", R"("4294967296")", "4294967296",
                  "1e20",       "0.5",    R"(" 1")", R"("1 ")",  R"("1e3")",        "[0]"};
const Pool kPoint{
    R"("x")",     R"("1x2x3")", R"("-2147483649x0")", R"("2147483648x2147483647")", R"("0x0")", R"("x0")", R"("0x")",
    R"("1.5x2")", R"("0X0")",   R"("\u0000x1")",      "\"\xef\xbc\x91x1\"",         "[0,0]"};
const Pool kText{R"("\u00e9")",      "\"\xff\xfe\"", "\"\xc3\x28\"",
                 "\"\xed\xa0\x80\"", R"("\ud800")",  "\"\xe2\x82\xac\"",
                 R"("a\u0000b")",    R"("%s%n%x")",  '"' + std::string(5000, 'A') + '"'};
// Paths stay inside the throw-away prefix: C: is its only drive.
const Pool kPath{R"("C:\\scratch\\victim.icm")",    R"("C:/scratch/../scratch/victim.icm")",
                 R"("..\\..\\victim.icm")",         R"("scratch\\..\\..\\x")",
                 R"(":temporary\\..\\victim.icm")", R"(":desktop/../../x")",
                 R"(":home\\..\\..\\scratch\\v")",  R"(":user_color_profile\\..\\..\\v")",
                 R"("C:\\scratch\\nul")",           R"("CON")",
                 R"("C:\\scratch\\*.icm")",         R"("\\\\.\\C:\\scratch\\x")",
                 '"' + std::string(300, 'p') + '"', "\"C:\\\\scratch\\\\\xe9\xff.icm\""};
const Pool kProcess{
    R"("*")", R"("?")", R"("*.exe")", R"("a*b?c")", R"("..\\..\\x")", R"("%s%n")", '"' + std::string(1000, '*') + '"'};
const Pool kGamma{gamma(ramp(256, R"("0.5")"), ramp(256, "[1]"), ramp(256, "{}")),
                  gamma(ramp(255, "1"), ramp(256, "1"), ramp(256, "1")),
                  gamma(ramp(256, "1e308"), ramp(256, "-1e308"), ramp(5000, "0.25")),
                  gamma(R"("red")", "{}", "null"),
                  gamma(ramp(256, R"("x")"), ramp(256, R"(" -2")"), ramp(256, "true")),
                  "[" + ramp(256, "1") + "]"};
const Pool kMethods{"GET", "PUT", "POST", "DELETE", "pOsT", "PATCH", "", "\xff"};
const Pool kRaw{"{",
                R"({"index":)",
                "[1,2,",
                "\"unterminated",
                "nul",
                "{\"a\" 1}",
                std::string(1000, '['),
                "\xc0\xaf\xed\xa0\x80\xf8\x88\x80\x80\x80"};

using Member = CorpusMember;
using Members = std::vector<Member>;

struct Resource {
    const char* exportName;
    Pool methods;
    Members params, query, body;
};

const Members kScreenQuery{{"profile", &kPath}, {"gamma", &kAnyValue}, {"graphicsCard", &kAnyValue}};
const Members kScreenBody{{"profile", &kPath}, {"gamma", &kGamma}};
const Pool kScreenMethods{"GET", "PUT", "DELETE"};
const Pool kGetOnly{"GET"};
const Members kInformationQuery{{"os", &kAnyValue}, {"memory", &kAnyValue}, {"graphicsCards", &kAnyValue}};
const Members kLoginItemBody{{"name", &kPath},      {"enable", &kAnyValue},  {"executablePath", &kPath},
                             {"arguments", &kText}, {"description", &kText}, {"iconPath", &kPath}};

const std::vector<Resource>& resources() {
    static const std::vector<Resource> all{
        {"Screens", kScreenMethods, {}, kScreenQuery, kScreenBody},
        {"ScreenAtIndex", kScreenMethods, {{"index", &kIndex}}, kScreenQuery, kScreenBody},
        {"ScreensForMonitor", kScreenMethods, {{"serial", &kText}, {"product", &kText}}, kScreenQuery, kScreenBody},
        {"ScreensForPoint", kScreenMethods, {{"point", &kPoint}}, kScreenQuery, kScreenBody},
        {"PowerManagementSettings", {"PUT", "POST", "DELETE"}, {}, {}, {}},
        {"SystemInformation", kGetOnly, {}, kInformationQuery, {}},
        {"SystemProcesses", kGetOnly, {{"process", &kProcess}}, {}, {}},
        {"SystemUSBDevices", kGetOnly, {}, {}, {}},
        {"SystemApplications", kGetOnly, {}, {}, {}},
        {"SystemApplicationWindows", kGetOnly, {}, {}, {}},
        {"SystemKEXT", kGetOnly, {}, {}, {}},
        {"SystemPrinters", kGetOnly, {}, {}, {}},
        {"SystemLoginState", kGetOnly, {}, {{"filter", &kText}}, {}},
        {"SystemLockState", kGetOnly, {}, {{"filter", &kText}}, {}},
        {"SystemScreenSaver", {"GET", "DELETE"}, {}, {}, {}},
        {"SystemPreferredLanguage", kGetOnly, {}, {{"fallback", &kText}, {"resources", &kText}}, {}},
        {"SystemLoginItem", {"PUT"}, {}, {}, kLoginItemBody},
        {"SystemEventLogBackup", {"POST"}, {}, {}, {{"srcPath", &kText}, {"dstPath", &kPath}}},
        {"DeviceNotification", {"GET", "PUT", "DELETE"}, {}, {{"supports", &kAnyValue}}, {}}};
    return all;
}

std::string object(const char* member, const std::string& value) {
    std::string text = "{";
    text += jsonString(member);
    text += ':';
    text += value;
    return text + '}';
}

// Status and error name pairs an answer may carry.
bool knownError(std::int32_t status, const std::string& name) {
    static const std::multimap<std::int32_t, std::string> known{{400, "BadRequestError"},       {404, "NotFoundError"},
                                                                {404, "FunctionNotFoundError"}, {405, "MethodError"},
                                                                {500, "InternalError"},         {500, "UnknownError"}};
    const auto [first, last] = known.equal_range(status);
    return std::any_of(first, last, [&](const auto& entry) { return entry.second == name; });
}

}  // namespace

HostileRequest makeRequest(const char* exportName, const std::string& method, std::string params, std::string query,
                           std::string body) {
    return {exportName, object("method", jsonString(method)), std::move(params), std::move(query), std::move(body)};
}

const std::string& HostileCorpus::pick(const Pool& pool) {
    return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random_)];
}

std::string HostileCorpus::rawText() {
    switch (random_() % 3) {
        case 0: {
            count("random bytes");
            std::string bytes(1 + random_() % 64, ' ');
            // The texts are C strings: a zero byte would only end them early.
            for (char& c : bytes) c = static_cast<char>(1 + random_() % 255);
            return bytes;
        }
        case 1: count("broken JSON"); return pick(kRaw);
        default: count("argument of a wrong type"); return pick(kAnyValue);
    }
}

std::string HostileCorpus::argument(const Members& members) {
    if (members.empty() || random_() % 5 == 0) return rawText();
    std::string text = "{";
    for (const Member& member : members) {
        if (random_() % 3 == 0) continue;
        const bool own = random_() % 5 < 3;
        count(own ? "member value" : "member of a wrong type");
        if (text.size() > 1) text += ',';
        text += jsonString(member.name);
        text += ':';
        text += pick(own ? *member.pool : kAnyValue);
    }
    return text + "}";
}

HostileRequest HostileCorpus::next(bool registrations) {
    for (;;) {
        const Resource& resource = resources()[random_() % resources().size()];
        const std::string& method = random_() % 5 ? pick(resource.methods) : pick(kMethods);
        if (!registrations && resource.exportName == std::string("DeviceNotification") && method == "PUT") continue;
        count(resource.exportName);
        HostileRequest request = makeRequest(resource.exportName, method, argument(resource.params),
                                             argument(resource.query), argument(resource.body));
        if (random_() % 20 == 0) request.options = rawText();
        return request;
    }
}

std::vector<HostileRequest> HostileCorpus::sweep() {
    std::vector<HostileRequest> requests;
    for (const Resource& resource : resources()) {
        for (const std::string& method : resource.methods) {
            const auto add = [&](const Members& members, std::string HostileRequest::*argument) {
                for (const Member& member : members) {
                    for (const Pool* pool : {member.pool, &kAnyValue}) {
                        for (const std::string& value : *pool) {
                            HostileRequest request = makeRequest(resource.exportName, method);
                            request.*argument = object(member.name, value);
                            requests.push_back(std::move(request));
                            count(std::string("sweep ") + resource.exportName);
                        }
                    }
                }
            };
            add(resource.params, &HostileRequest::params);
            add(resource.query, &HostileRequest::query);
            add(resource.body, &HostileRequest::body);
            for (const std::string& raw : kRaw) {
                requests.push_back(makeRequest(resource.exportName, method, raw, raw, raw));
                count(std::string("sweep ") + resource.exportName);
            }
        }
    }
    return requests;
}

std::string HostileCorpus::countsText() const {
    std::string text;
    for (const auto& [kind, number] : counts_) text += kind + ": " + std::to_string(number) + "\n";
    return text;
}

Response send(const MavelLibrary& library, const HostileRequest& request) {
    return library.callRaw(request.exportName, request.options.c_str(), request.params.c_str(), request.query.c_str(),
                           request.body.c_str());
}

std::uint32_t setting(const char* name, std::uint32_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

std::string describe(const HostileRequest& request) {
    const auto cut = [](const std::string& text) { return text.substr(0, 120); };
    return std::string(request.exportName) + " options=" + cut(request.options) + " params=" + cut(request.params) +
           " query=" + cut(request.query) + " body=" + cut(request.body);
}

std::string envelopeFault(const Response& response) {
    if (response.answers != 1) return "answered " + std::to_string(response.answers) + " times";
    pocketjson::Value envelope;
    if (!pocketjson::parseJson(envelope, response.text)) return "not JSON: " + response.text.substr(0, 200);
    if (!envelope.isObject() || envelope.size() != 2 || !envelope.hasKey("error") || !envelope.hasKey("value")) {
        return "not an envelope: " + response.text.substr(0, 200);
    }
    const pocketjson::Value& error = envelope.get("error");
    if (response.status == 200) return error.isNull() ? "" : "200 with an error: " + response.text.substr(0, 200);
    const bool named = error.get("name").isString() && error.get("message").isString();
    if (!named || !knownError(response.status, error.get("name").stringValue()) || !envelope.get("value").isNull()) {
        return "status " + std::to_string(response.status) + " with " + response.text.substr(0, 200);
    }
    return "";
}

std::string eventFault(const std::string& name, const std::string& payload) {
    if (name == "systemTimeChanged") {
        int year, month, day, hour, minute, second;
        char rest;
        const bool dated = std::sscanf(payload.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour,
                                       &minute, &second, &rest) == 6;
        return dated && payload.size() == 19 ? "" : "bad time " + payload;
    }
    static const std::vector<std::string> listed{"screenChanged", "monitorChanged", "sensorChanged",
                                                 "serialSensorChanged", "lightingEquipmentChanged"};
    pocketjson::Value value;
    if (!pocketjson::parseJson(value, payload)) return name + " with a payload that is not JSON";
    if (name == "sessionChanged") return value.get("type").isString() ? "" : "bad session " + payload;
    if (name == "screenChanged") return value.isArray() && value.size() > 0 ? "" : "bad screens " + payload;
    if (std::find(listed.begin(), listed.end(), name) == listed.end()) return "unknown event " + name;
    return value.get("added").isArray() && value.get("removed").isArray() ? "" : "bad change " + payload;
}

}  // namespace mavel::test
