#include "system/preferred_language.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ostrel.h"
#include "pocketjson/text.h"
#include "system/ostrel_support.h"

namespace kelto::bridge {

namespace {

using pocketjson::Value;

// Language tags are ASCII, so they are compared as the library hands them out.
std::vector<std::string> userLanguages() {
    std::vector<std::string> languages;
    for (std::uint32_t index = 0;; ++index) {
        std::string language = copyText(OstrEnumLocaleLanguage(index));
        if (language.empty()) return languages;
        languages.push_back(std::move(language));
    }
}

bool startsWith(const std::string& text, const std::string& prefix) noexcept {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The user's order of languages outranks the caller's order of resources.
std::string choose(const std::vector<std::string>& languages, const std::vector<std::string>& resources,
                   const std::string& fallback) {
    if (languages.empty()) {
        requireInternal(!fallback.empty(), "Failed to get languages.");
        return fallback;
    }
    if (resources.empty()) return languages.front();
    for (const std::string& language : languages) {
        for (const std::string& resource : resources) {
            if (startsWith(resource, language)) return resource;
        }
    }
    return fallback.empty() ? resources.front() : fallback;
}

}  // namespace

BridgeResult SystemPreferredLanguage::onGet(const RequestArgs& args) {
    uri += "System/PreferredLanguage";
    const Value& query = args.query();
    const std::string fallback = query.get("fallback").asString("");
    const std::vector<std::string> resources = pocketjson::splitString(query.get("resources").asString(""), ",");
    return BridgeResult(Value(choose(userLanguages(), resources, fallback)));
}

}  // namespace kelto::bridge
