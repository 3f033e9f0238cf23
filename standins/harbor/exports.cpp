// Exports of the host plug-in stand-in libHarbor_x64.dll. The plug-in folder
// is, unless the world names another, the folder of this DLL itself: the
// build puts the logging stand-in beside it, so the caller finds it there.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/closed_libraries.h"
#include "standin/export.h"
#include "standin/fail_list.h"
#include "standin/library.h"
#include "standin/text.h"

namespace {

using standin::Json;

struct World {
    standin::FailList failures;
    std::optional<std::string> exportsPath;  // UTF-8, as given
};

class Model {
public:
    void apply(const Json& section) {
        World world{standin::FailList(section), std::nullopt};
        if (standin::has(section, "exportsPath")) world.exportsPath = standin::rawText(section, "exportsPath");
        worlds_.add(std::move(world));
    }
    bool fails(std::string_view function) const { return world().failures.contains(function); }
    const World& world() const noexcept { return worlds_.current(); }

    const char* exportsPath() {
        if (world().exportsPath) return world().exportsPath->c_str();
        if (!ownFolder_) ownFolder_ = standin::utf8FromWide(standin::ownModuleFolder());
        return ownFolder_->c_str();
    }

private:
    standin::Generations<World> worlds_;
    std::optional<std::string> ownFolder_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("harbor");
    return instance;
}

}  // namespace

STANDIN_EXPORT const char* Hrb_GetRegistryExportsPath() {
    return library().call("Hrb_GetRegistryExportsPath",
                          [](Model& model, bool failing) -> const char* { return failing ? "" : model.exportsPath(); });
}

STANDIN_CONTROL_EXPORTS(library())
