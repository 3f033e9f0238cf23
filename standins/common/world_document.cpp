#include "standin/world_document.h"

#include "standin/text.h"

namespace standin {

const Json& demoWorld() {
    static const Json document = Json::parse(demoWorldText());
    return document;
}

std::optional<Json> parseWorld(std::string_view text) {
    Json document = Json::parse(text, nullptr, false);
    if (!document.is_object()) return std::nullopt;
    return document;
}

std::optional<Json> startupWorld() {
    const std::optional<std::wstring> path = environmentVariable(L"MAVEL_WORLD");
    if (!path || path->empty()) return std::nullopt;
    const std::optional<std::string> text = readFile(*path);
    if (!text) return std::nullopt;
    return parseWorld(*text);
}

const Json& sectionOf(const Json& document, const char* name) {
    const Json& section = member(document, name);
    return section.is_null() ? member(demoWorld(), name) : section;
}

}  // namespace standin
