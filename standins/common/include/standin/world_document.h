#pragma once
// The world document: one JSON object with a section per library.

#include <optional>
#include <string_view>

#include "standin/json_read.h"

namespace standin {

// The built-in demo world (demo_world.json).
const char* demoWorldText() noexcept;
const Json& demoWorld();

// The document named by the environment variable MAVEL_WORLD, when it is set
// and names a readable JSON object.
std::optional<Json> startupWorld();

// Parses a world document; nullopt unless it is a JSON object.
std::optional<Json> parseWorld(std::string_view text);

// The library's section of the document, or the demo world's section when the
// document has none.
const Json& sectionOf(const Json& document, const char* name);

}  // namespace standin
