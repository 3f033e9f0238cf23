// The library's exported functions. Resource entry points all run the same
// dispatch with their own handler class; nothing thrown inside leaves here.

#define MAVEL_BUILD
#include "mavel/mavel.h"

#include "bridge/bridge.h"
#include "notification/device_notification.h"
#include "notification/lifecycle.h"
#include "screens/screen_resources.h"
#include "system/enumerations.h"
#include "system/event_log.h"
#include "system/information.h"
#include "system/login_item.h"
#include "system/power_management.h"
#include "system/preferred_language.h"
#include "system/session_state.h"

namespace bridge = kelto::bridge;

#define MAVEL_RESOURCE_ARGS const char *options, const char *params, const char *query, const char *body

extern "C" {

uint32_t DeviceNotification(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::DeviceNotification>(options, params, query, body);
}
uint32_t Screens(MAVEL_RESOURCE_ARGS) { return serveRequest<bridge::Screens>(options, params, query, body); }
uint32_t ScreenAtIndex(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::ScreenAtIndex>(options, params, query, body);
}
uint32_t ScreensForMonitor(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::ScreensForMonitor>(options, params, query, body);
}
uint32_t ScreensForPoint(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::ScreensForPoint>(options, params, query, body);
}
uint32_t PowerManagementSettings(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::PowerManagementSettings>(options, params, query, body);
}
uint32_t SystemInformation(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemInformation>(options, params, query, body);
}
uint32_t SystemProcesses(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemProcesses>(options, params, query, body);
}
uint32_t SystemUSBDevices(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemUSBDevices>(options, params, query, body);
}
uint32_t SystemApplications(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemApplications>(options, params, query, body);
}
uint32_t SystemApplicationWindows(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemApplicationWindows>(options, params, query, body);
}
uint32_t SystemKEXT(MAVEL_RESOURCE_ARGS) { return serveRequest<bridge::SystemKEXT>(options, params, query, body); }
uint32_t SystemPrinters(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemPrinters>(options, params, query, body);
}
uint32_t SystemLoginState(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemLoginState>(options, params, query, body);
}
uint32_t SystemLockState(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemLockState>(options, params, query, body);
}
uint32_t SystemScreenSaver(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemScreenSaver>(options, params, query, body);
}
uint32_t SystemPreferredLanguage(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemPreferredLanguage>(options, params, query, body);
}
uint32_t SystemLoginItem(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemLoginItem>(options, params, query, body);
}
uint32_t SystemEventLogBackup(MAVEL_RESOURCE_ARGS) {
    return serveRequest<bridge::SystemEventLogBackup>(options, params, query, body);
}

void Setup(void) { kelto::notification::setup(); }
void TearDown(void) { kelto::notification::tearDown(); }

void MavelResetSystemIdleTimer(void) { kelto::power::resetSystemIdleTimer(); }
void* MavelDisablePowerManagementSettings(void) { return kelto::power::disable(); }
void MavelRestorePowerManagementSettings(void* state) { kelto::power::restore(state); }

}  // extern "C"
