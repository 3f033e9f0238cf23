#include "platform/logger.h"

#include <sstream>

#include "platform/closed_libraries.h"

namespace kelto {

namespace {

constexpr ExportedFunction<decltype(quillon_get_logger)> quillonGetLogger{"quillon_get_logger"};
constexpr ExportedFunction<decltype(quillon_log)> quillonLog{"quillon_log"};

}  // namespace

LoggerBase::LoggerBase(std::string loggerName) : name_(std::move(loggerName)) {}

void LoggerBase::load() noexcept {
    try {
        const char* folder = Hrb_GetRegistryExportsPath();
        const fs::Path file(fs::Path(folder ? folder : "").append("libquillon2").text() + "_x64.dll");
        if (library_.load(file) && library_.hasFunction(quillonGetLogger)) {
            handle_ = library_.invoke(quillonGetLogger);
        }
    } catch (...) {
        // Logging is optional; a failure here only silences the log.
    }
}

bool LoggerBase::isSilent() const noexcept { return handle_ == nullptr || library_.find(quillonLog) == nullptr; }

void LoggerBase::log(std::uint32_t level, const std::string& message) const noexcept {
    if (handle_ == nullptr) return;
    const auto write = library_.find(quillonLog);
    if (write == nullptr) return;
    write(handle_, name_.c_str(), level, message.c_str());
}

void LoggerBase::logEvent(const std::string& eventName, const std::string& message) const noexcept {
    try {
        std::ostringstream line;
        line << "event:" << eventName << "\tmsg:" << message;
        log(kLogLevelEvent, line.str());
    } catch (...) {}
}

MavelLogger::MavelLogger() : LoggerBase("Mavel") { load(); }

MavelLogger& MavelLogger::instance() {
    static MavelLogger logger;
    return logger;
}

}  // namespace kelto
