#pragma once
/* The binary interface of the bridge host and the closed in-house libraries:
 * their C types and every function the library calls, imported or looked up
 * at run time. The library declares its callers on top of this header and
 * the stand-ins define their exports against it, so a signature that drifts
 * on either side fails to compile. The layout checks at the end hold both
 * sides to the documented sizes and offsets.
 *
 * No import attribute: the import libraries' thunks serve the imported
 * functions, and a function that is only looked up by name (marked "run
 * time") must never be called directly, or an older library without it
 * stops the DLL from loading. Texts are library-owned ANSI code-page texts
 * unless a comment says otherwise. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Bridge host, libbridgehost_x64.dll (imported). */
typedef void (*BridgeHelperEventCallback)(const char* eventType, void* message, void* context);
uint32_t BridgeHelperCreatePromiseID(void);
int32_t BridgeHelperSetResponse(uint32_t promiseId, int32_t statusCode, const char* json);
int32_t BridgeHelperAddEventCallback(BridgeHelperEventCallback callback, void* context);
int32_t BridgeHelperRemoveEventCallback(void* context);
int32_t BridgeHelperDispatchEvent(const char* eventName, const char* payload);

/* System-information library, libostrel_x64.dll (imported but for the run-time functions). */
typedef void* OstrHandle; /* snapshot, item or card; NULL = none / end */
typedef struct OstrMemoryInformation {
    uint32_t total;
    uint32_t available;
    double usage;
} OstrMemoryInformation;

OstrHandle OstrCreateRunningProcessSnapshot(void);
OstrHandle OstrEnumRunningProcess(OstrHandle snapshot, uint32_t index);
const char* OstrGetProcessName(OstrHandle item);
const char* OstrGetProcessCommand(OstrHandle item);
int32_t OstrGetProcessPID(OstrHandle item);

OstrHandle OstrCreateUSBDeviceSnapshot(void);
OstrHandle OstrEnumUSBDevice(OstrHandle snapshot, uint32_t index);
const char* OstrGetUSBDeviceName(OstrHandle item);
int32_t OstrGetUSBDeviceVendorID(OstrHandle item);
int32_t OstrGetUSBDeviceProductID(OstrHandle item);
int32_t OstrGetUSBDeviceBcdDevice(OstrHandle item);

OstrHandle OstrCreateInstalledApplicationSnapshot(void);
OstrHandle OstrEnumInstalledApplication(OstrHandle snapshot, uint32_t index);
const char* OstrGetApplicationName(OstrHandle item);

OstrHandle OstrCreateLoadedKEXTSnapshot(void);
OstrHandle OstrEnumLoadedKEXT(OstrHandle snapshot, uint32_t index);
const char* OstrGetKEXTName(OstrHandle item);
const char* OstrGetKEXTVersion(OstrHandle item);

OstrHandle OstrCreatePrinterSnapshot(void);
OstrHandle OstrEnumPrinter(OstrHandle snapshot, uint32_t index);
const char* OstrGetPrinterName(OstrHandle item);
const char* OstrGetPrinterDriverName(OstrHandle item);
const char* OstrGetPrinterDriverVersion(OstrHandle item);
int32_t OstrGetPrinterDefault(OstrHandle item);

void OstrReleaseSnapshot(OstrHandle snapshot);

const char* OstrGetOSName(void);
const char* OstrGetOSNameShort(void);
const char* OstrGetOSEdition(void);
const char* OstrGetOSSPVersion(void);
const char* OstrGetKernelVersion(void);
const char* OstrGetBuildNumber(void);
const char* OstrGetLocaleName(void);
const char* OstrGetLocaleDecimalSeparator(void);
const char* OstrGetLocaleThousandSeparator(void);
const char* OstrGetTimezoneName(void);
const char* OstrGetCPUName(void);
const char* OstrGetCPUArchitectureName(void);
const char* OstrGetPCName(void);
const char* OstrGetPCModelName(void);
const char* OstrGetPCVendorName(void);
const char* OstrGetPCSerialNumber(void);
int32_t OstrGetOSArchitecture(void);
int32_t OstrGetTimezoneOffset(void);

const char* OstrEnumLocaleLanguage(uint32_t index);            /* "" after the last */
const char* OstrEnumIPAddress(int32_t family, uint32_t index); /* family 1 IPv4, 2 IPv6; "" after the last */

OstrHandle OstrEnumVGA(uint32_t index);                    /* NULL after the last */
OstrHandle OstrGetVGAOfScreen(const char* screenDeviceId); /* NULL when none */
const char* OstrGetVGAName(OstrHandle card);
const char* OstrGetVGAVendor(OstrHandle card);
const char* OstrGetVGADriverName(OstrHandle card);
const char* OstrGetVGADriverVersion(OstrHandle card);
uint32_t OstrGetVGAVRAMSize(OstrHandle card);

int32_t OstrGetMemoryInformation(OstrMemoryInformation* record);

/* ostrel, run time */
OstrHandle OstrCreateCurrentApplicationWindowSnapshot(void);
OstrHandle OstrEnumApplicationWindow(OstrHandle snapshot, uint32_t index);
const char* OstrGetApplicationWindowTitle(OstrHandle item);
const char* OstrGetApplicationWindowProcessName(OstrHandle item);
const char* OstrGetApplicationWindowLocalizedName(OstrHandle item);
const char* OstrGetApplicationWindowClassName(OstrHandle item);
int32_t OstrIsActiveApplicationWindow(OstrHandle item);
const char* OstrGetOSReleaseID(void);
const char* OstrGetLocaleCountry(void); /* passed on unconverted */
const char* OstrGetUserName(void);
const char* OstrGetDomainName(void);
const char* OstrGetVGADeviceLocationID(OstrHandle card); /* passed on unconverted */
int32_t OstrIsProcessRunning(const char* ansiName, int32_t flags);

/* Screen-information library, libcarvel2_x64.dll (imported but for the run-time functions). */
typedef void* CrvScreen;
typedef void* CrvEdid;
typedef struct CrvPoint {
    int32_t x, y;
} CrvPoint;
typedef struct CrvSize {
    int32_t width, height;
} CrvSize;
typedef struct CrvRect {
    int32_t x, y, width, height;
} CrvRect;
typedef struct CrvVector2 {
    double x, y;
} CrvVector2;
typedef struct CrvManufactureDate {
    uint32_t kind, year, week;
} CrvManufactureDate;
typedef struct CrvColor {
    double cyan, magenta, yellow, black;
    double red, green, blue;
    double X, Y, Z;
    double x, y;
    uint32_t T;
    uint32_t padding;
    double L, a, b;
    double C, h;
} CrvColor;
typedef struct CrvChromaticity {
    CrvColor red, green, blue, white, black;
} CrvChromaticity;

int32_t CrvFindScreens(void);
void CrvReleaseScreens(void);
uint32_t CrvGetScreenCount(void);
CrvScreen CrvGetScreenAtIndex(uint32_t index);
uint32_t CrvGetScreenCountForMonitor(const char* serial, const char* product);
CrvScreen CrvGetScreenForMonitorAtIndex(const char* serial, const char* product, uint32_t index);
CrvPoint CrvPointMake(int32_t x, int32_t y);
uint32_t CrvGetScreenCountForPoint(CrvPoint point);
CrvScreen CrvGetScreenForPointAtIndex(CrvPoint point, uint32_t index);

CrvRect CrvGetScreenBounds(CrvScreen screen);
uint32_t CrvGetScreenColorDepth(CrvScreen screen);
uint32_t CrvGetScreenRotation(CrvScreen screen);
double CrvGetScreenRefreshRate(CrvScreen screen);
CrvVector2 CrvGetScreenScale(CrvScreen screen);
CrvSize CrvGetScreenRenderingSize(CrvScreen screen);
CrvSize CrvSizeMake(int32_t width, int32_t height);
int32_t CrvIsScreenPrimary(CrvScreen screen);
int32_t CrvIsScreenMirroring(CrvScreen screen);
int32_t CrvSupportsScreenProfile(CrvScreen screen);
int32_t CrvSupportsScreenGraphicsCardGamma(CrvScreen screen);

CrvEdid CrvGetScreenEdid(CrvScreen screen); /* NULL when none */
int32_t CrvIsEdidTavroMonitor(CrvEdid edid);
const char* CrvGetEdidManufacturer(CrvEdid edid); /* EDID texts are passed on unconverted */
const char* CrvGetEdidProductName(CrvEdid edid);
const char* CrvGetEdidSerialNumber(CrvEdid edid);
CrvSize CrvGetEdidPreferredResolution(CrvEdid edid);
CrvChromaticity CrvGetEdidChromaticity(CrvEdid edid);

int32_t CrvGetScreenProfile(CrvScreen screen, char* buffer, uint32_t* size); /* NULL buffer asks for the size */
int32_t CrvSetScreenProfile(CrvScreen screen, const char* path);             /* NULL detaches */
int32_t CrvGetScreenGraphicsCardGamma(CrvScreen screen, double* red, double* green, double* blue); /* 256 each */
int32_t CrvSetScreenGraphicsCardGamma(CrvScreen screen, const double* red, const double* green, const double* blue);
const char* CrvGetWindowsScreenDeviceId(CrvScreen screen);

/* carvel2, run time, optional */
CrvVector2 CrvGetScreenPixelRatio(CrvScreen screen);
CrvManufactureDate CrvGetEdidManufactureYear(CrvEdid edid);

/* Monitor-control library, libpltc_x64.dll (imported). */
int32_t PltCtrlFind(uint32_t reserved1, uint32_t reserved2); /* called with 0, 0 */
uint32_t PltCtrlGetNumMonitors(void);
int32_t PltCtrlGetSerialProduct(uint32_t index, char* serial9, char* product17); /* < 0: no entry */
int32_t PltCtrlGetHIDHandle(const char* serial, const char* product, uint64_t* hidHandle);

/* Monitor-control library, libpallet_x64.dll (run time). */
int32_t PltUpdateEx(uint32_t deviceClass);
int32_t PltRetrieveEx(uint32_t deviceClass, int32_t index, uint64_t* handle); /* < 0: end */
int32_t PltGetFixedData(uint64_t handle, uint32_t feature, uint16_t selector, uint8_t* flag, uint32_t* value1,
                        uint32_t* value2, uint32_t* value3, uint32_t* byteCount);
int32_t PltGetFeatureArray(uint64_t handle, uint32_t feature, uint16_t selector, void* buffer, uint32_t length);

/* Sensor library, libbramble.dll (run time). */
void BrambleLockSensors(void);
void BrambleUnlockSensors(void);
void BramblePreUpdateBuiltInSensorHandle(const char* serial, const char* product);
void BrambleUpdateBuiltInSensorHandle(const char* serial, const char* product);
int32_t BrambleGetHandleForHIDHandle(uint64_t hidHandle, uint64_t* sensorHandle);
int32_t BrambleGetHandleForDeviceID(uint32_t deviceID, uint64_t* sensorHandle);
int32_t BrambleRemoveSensor(uint64_t sensorHandle);
int32_t BrambleEnumConnectedSerialSensors(int32_t index, uint32_t* deviceID); /* < 0: end */

/* Measurement-device library, libtrellis_x64.dll (imported). */
int32_t TrlEnumConnectedDevices(int32_t index, uint32_t* deviceID, uint64_t* individualID); /* < 0: end */

/* Host plug-in library, libHarbor_x64.dll (imported). */
const char* Hrb_GetRegistryExportsPath(void); /* UTF-8 folder path */

/* Logging library, libquillon2_x64.dll in the host plug-in folder (run time). */
void* quillon_get_logger(void);
int32_t quillon_log(void* logger, const char* loggerName, uint32_t level, const char* message);

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(OstrMemoryInformation) == 16 && offsetof(OstrMemoryInformation, usage) == 8);
static_assert(sizeof(CrvPoint) == 8 && sizeof(CrvSize) == 8);
static_assert(sizeof(CrvRect) == 16 && offsetof(CrvRect, width) == 8);
static_assert(sizeof(CrvVector2) == 16 && offsetof(CrvVector2, y) == 8);
static_assert(sizeof(CrvManufactureDate) == 12 && offsetof(CrvManufactureDate, week) == 8);
static_assert(sizeof(CrvColor) == 144);
static_assert(offsetof(CrvColor, red) == 32 && offsetof(CrvColor, X) == 56 && offsetof(CrvColor, x) == 80);
static_assert(offsetof(CrvColor, T) == 96 && offsetof(CrvColor, L) == 104 && offsetof(CrvColor, C) == 128);
static_assert(sizeof(CrvChromaticity) == 720 && offsetof(CrvChromaticity, white) == 432);
#endif
