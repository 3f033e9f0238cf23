// Exports of the logging stand-in libquillon2_x64.dll. Every accepted message
// is kept in memory (for QuillonStandinLines) and appended to a log file as
// one line "<level>\t<loggerName>\t<message>\n". The file is the one named by
// the environment variable QUILLON_LOG_FILE, read at each message, or else
// quillon.log beside this DLL.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin/export.h"
#include "standin/fail_list.h"
#include "standin/library.h"
#include "standin/text.h"

namespace {

using standin::Json;

struct World {
    standin::FailList failures;
    bool nullLogger = false;  // quillon_get_logger hands out no logger
};

struct Line {
    std::uint32_t level = 0;
    std::string logger;
    std::string message;
};

std::wstring logFilePath() {
    if (auto path = standin::environmentVariable(L"QUILLON_LOG_FILE"); path && !path->empty()) return *path;
    return standin::ownModuleFolder() + L"\\quillon.log";
}

class Model {
public:
    void apply(const Json& section) {
        worlds_.add(World{standin::FailList(section), standin::flag(section, "nullLogger")});
    }
    bool fails(std::string_view function) const { return world().failures.contains(function); }
    const World& world() const noexcept { return worlds_.current(); }

    void* logger() noexcept { return &loggerToken_; }
    bool isLogger(const void* handle) const noexcept { return handle == &loggerToken_; }

    void write(Line line) {
        const std::string text = std::to_string(line.level) + "\t" + line.logger + "\t" + line.message + "\n";
        standin::appendToFile(logFilePath(), text);
        lines_.push_back(std::move(line));
    }

    // Valid until the next call.
    const char* linesJson() {
        Json all = Json::array();
        for (const Line& line : lines_) {
            all.push_back({{"level", line.level}, {"logger", line.logger}, {"message", line.message}});
        }
        linesText_ = all.dump(-1, ' ', false, Json::error_handler_t::replace);
        return linesText_.c_str();
    }
    void clearLines() noexcept { lines_.clear(); }

private:
    standin::Generations<World> worlds_;
    int loggerToken_ = 0;  // its address is the logger handle
    std::vector<Line> lines_;
    std::string linesText_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("quillon");
    return instance;
}

}  // namespace

STANDIN_EXPORT void* quillon_get_logger() {
    return library().call("quillon_get_logger", [](Model& model, bool failing) -> void* {
        return failing || model.world().nullLogger ? nullptr : model.logger();
    });
}

// Refuses (negative result, nothing written) a handle it never gave out.
STANDIN_EXPORT std::int32_t quillon_log(void* logger, const char* loggerName, std::uint32_t level,
                                        const char* message) {
    return library().call("quillon_log", [=](Model& model, bool failing) -> std::int32_t {
        if (failing || !model.isLogger(logger) || loggerName == nullptr || message == nullptr) return -1;
        model.write({level, loggerName, message});
        return 0;
    });
}

STANDIN_CONTROL_EXPORTS(library())

STANDIN_EXPORT const char* QuillonStandinLines() {
    return library().control([](Model& model) { return model.linesJson(); });
}

STANDIN_EXPORT void QuillonStandinClear() {
    library().control([](Model& model) { model.clearLines(); });
}
