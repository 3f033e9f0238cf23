// The library's exported functions. Resource entry points all run the same
// dispatch with their own handler class; nothing thrown inside leaves here.

#define MAVEL_BUILD
#include "mavel/mavel.h"

#include "bridge/bridge.h"
#include "notification/device_notification.h"
#include "notification/lifecycle.h"
#include "screens/screens_resource.h"
#include "screens/single_screen_resources.h"
#include "system/enumerations.h"
#include "system/event_log.h"
#include "system/information.h"
#include "system/login_item.h"
#include "system/power_management.h"
#include "system/preferred_language.h"
#include "system/session_state.h"

namespace bridge = kelto::bridge;

extern "C" {

uint32_t DeviceNotification(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::DeviceNotification>(options, params, query, body);
}
uint32_t Screens(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::Screens>(options, params, query, body);
}
uint32_t ScreenAtIndex(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::ScreenAtIndex>(options, params, query, body);
}
uint32_t ScreensForMonitor(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::ScreensForMonitor>(options, params, query, body);
}
uint32_t ScreensForPoint(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::ScreensForPoint>(options, params, query, body);
}
uint32_t PowerManagementSettings(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::PowerManagementSettings>(options, params, query, body);
}
uint32_t SystemInformation(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemInformation>(options, params, query, body);
}
uint32_t SystemProcesses(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemProcesses>(options, params, query, body);
}
uint32_t SystemUSBDevices(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemUSBDevices>(options, params, query, body);
}
uint32_t SystemApplications(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemApplications>(options, params, query, body);
}
uint32_t SystemApplicationWindows(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemApplicationWindows>(options, params, query, body);
}
uint32_t SystemKEXT(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemKEXT>(options, params, query, body);
}
uint32_t SystemPrinters(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemPrinters>(options, params, query, body);
}
uint32_t SystemLoginState(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemLoginState>(options, params, query, body);
}
uint32_t SystemLockState(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemLockState>(options, params, query, body);
}
uint32_t SystemScreenSaver(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemScreenSaver>(options, params, query, body);
}
uint32_t SystemPreferredLanguage(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemPreferredLanguage>(options, params, query, body);
}
uint32_t SystemLoginItem(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemLoginItem>(options, params, query, body);
}
uint32_t SystemEventLogBackup(const char* options, const char* params, const char* query, const char* body) {
    return serveRequest<bridge::SystemEventLogBackup>(options, params, query, body);
}

void Setup(void) { kelto::notification::setup(); }
void TearDown(void) { kelto::notification::tearDown(); }

void MavelResetSystemIdleTimer(void) { kelto::power::resetSystemIdleTimer(); }
void* MavelDisablePowerManagementSettings(void) { return kelto::power::disable(); }
void MavelRestorePowerManagementSettings(void* state) { kelto::power::restore(state); }

}  // extern "C"
