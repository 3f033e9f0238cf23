#pragma once
// The library's log, written through the in-house logging library found in
// the host plug-in folder. Best-effort: without that library (or its two
// functions) every message is dropped and nothing else changes.

#include <cstdint>
#include <string>

#include "platform/dynamic_library.h"

namespace kelto {

class LoggerBase {
public:
    explicit LoggerBase(std::string loggerName);
    virtual ~LoggerBase() = default;
    LoggerBase(const LoggerBase&) = delete;
    LoggerBase& operator=(const LoggerBase&) = delete;

    // Safe from any thread; the logging library is called without a lock.
    void log(std::uint32_t level, const std::string& message) const noexcept;
    // True when every message would be dropped: callers may skip making one.
    bool isSilent() const noexcept;
    // "event:<name>\tmsg:<message>" at level 3.
    void logEvent(const std::string& eventName, const std::string& message) const noexcept;

protected:
    // Looks for the logging library once; a later appearance is not noticed.
    void load() noexcept;

private:
    std::string name_;
    DynamicLibrary library_;
    void* handle_ = nullptr;
};

class MavelLogger final : public LoggerBase {
public:
    static MavelLogger& instance();

private:
    MavelLogger();
};

inline constexpr std::uint32_t kLogLevelInfo = 2;
inline constexpr std::uint32_t kLogLevelEvent = 3;
inline constexpr std::uint32_t kLogLevelError = 5;

}  // namespace kelto
