#pragma once
// A reproducible stream of hostile requests for every resource export: each
// member a resource reads gets wrong JSON types, texts its reader must refuse,
// invalid UTF-8, paths that climb out of their folder; whole arguments get
// random bytes and broken JSON. Plus the checks every answer and event must
// pass whatever the request was.

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "library_harness.h"

namespace mavel::test {

struct HostileRequest {
    const char* exportName = "";
    std::string options, params, query, body;
};

// A member a resource reads, with the values to try in it.
struct CorpusMember {
    const char* name;
    const std::vector<std::string>* pool;
};

class HostileCorpus {
public:
    explicit HostileCorpus(std::uint32_t seed) : random_(seed) {}
    // Requests of DeviceNotification PUT are left out when registrations is
    // false: each adds a live registration, which a long run would pile up.
    HostileRequest next(bool registrations = true);
    // Every member of every resource with each value of its pools, under each method.
    std::vector<HostileRequest> sweep();
    // "kind: count" lines of what was handed out.
    std::string countsText() const;

private:
    std::string argument(const std::vector<CorpusMember>& members);
    std::string rawText();
    const std::string& pick(const std::vector<std::string>& pool);
    void count(const std::string& kind) { ++counts_[kind]; }

    std::mt19937 random_;
    std::map<std::string, int> counts_;
};

HostileRequest makeRequest(const char* exportName, const std::string& method, std::string params = "",
                           std::string query = "", std::string body = "");
// Empty when the answer is exactly one well-formed envelope; else what is wrong.
std::string envelopeFault(const Response& response);
// Empty when the event has a known name and a payload of its form.
std::string eventFault(const std::string& name, const std::string& payload);

Response send(const MavelLibrary& library, const HostileRequest& request);
// A size or seed from the environment (tools/soak.sh), else fallback.
std::uint32_t setting(const char* name, std::uint32_t fallback);
std::string describe(const HostileRequest& request);

}  // namespace mavel::test
