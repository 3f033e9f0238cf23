#pragma once
// Control API of the configuration-manager stand-in cfgmgr32.dll, for tests.
// Tests reach it with GetModuleHandleW(L"cfgmgr32.dll") + GetProcAddress
// once the library has loaded the stand-in.
//
// Wine loads its own builtin cfgmgr32.dll before a native file of that name,
// wherever the file lies, so a process gets the stand-in only when it runs
// with the DLL override cfgmgr32=n,b (WINEDLLOVERRIDES). Without it every
// program keeps Wine's builtin, which lacks the three functions below.
//
// The stand-in exports only the three functions the library binds at run
// time, with the Windows signatures and results (CONFIGRET, CR_SUCCESS = 0):
//   CM_Register_Notification: checks its arguments (null filter, callback or
//     handle pointer: CR_INVALID_POINTER; cbSize other than 416:
//     CR_INVALID_DATA; unknown Flags bits: CR_INVALID_FLAG; Reserved not 0 or
//     an unknown FilterType: CR_INVALID_DATA), keeps a copy of the filter,
//     then fails with the code set by Cfgmgr32StandinFailRegistrations, or
//     CR_FAILURE when the world lists it in "fail", or hands out a new handle
//     (never null, never handed out twice by one load of the DLL). On any
//     failure the handle written is null.
//   CM_Unregister_Notification: a live handle: forgets the registration and
//     returns CR_SUCCESS once a callback of that registration running on
//     another thread has returned (as Windows does; from inside the callback
//     itself it does not wait). Any other handle: CR_INVALID_POINTER.
//   CM_Get_Device_Interface_PropertyW: only the key DEVPKEY_Device_InstanceId
//     ({78C34FC8-104A-4ACA-9EA4-524D52996E57}, 256) of a symbolic link that
//     Cfgmgr32StandinFire made for a non-empty instance id (compared ignoring
//     case). The identifier is written as DEVPROP_TYPE_STRING, UTF-16 with
//     its terminating zero, and *bufferSize says the bytes written; a buffer
//     too small gives CR_BUFFER_SMALL and the size needed. Other keys and
//     links: CR_NO_SUCH_VALUE; null pointers (or a null buffer with a non-zero
//     size): CR_INVALID_POINTER; flags other than 0: CR_INVALID_FLAG.
// Each of the three is logged in the call log and the process-wide call
// sequence (standin_control.h); the world section "cfgmgr32" holds only
// "fail": ["FunctionName", ...], which makes those functions answer
// CR_FAILURE (after the pointer checks).
//
// Cfgmgr32StandinFire invents the symbolic link of a USB device interface for
// an instance id: "\\?\" + the id with every '\' turned into '#' + "#" +
// "{a5dcbf10-6530-11d2-901f-00c04fb951ed}", e.g. USB\VID_046D&PID_C077\5&2A3B
// gives \\?\USB#VID_046D&PID_C077#5&2A3B#{a5dcbf10-6530-11d2-901f-00c04fb951ed}.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Export "Cfgmgr32StandinFire": calls the callback of every live registration, in the order they
   were registered, on one thread started for this event (never the caller's), and returns once
   they have all returned: the number of callbacks called, or -1 when no thread could be started.
   A registration removed before its turn (also by an earlier callback of the same event) is
   skipped. Each callback gets its own CM_NOTIFY_EVENT_DATA: FilterType
   CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE, ClassGuid GUID_DEVINTERFACE_USB_DEVICE
   {A5DCBF10-6530-11D2-901F-00C04FB951ED} and the invented symbolic link; eventDataSize counts
   the bytes up to and including the link's terminating zero. action is passed on unchanged as
   the CM_NOTIFY_ACTION (0 arrival, 1 removal, any other number as it is). instanceIdUtf8 may be
   NULL or empty: the event is sent all the same, and no property can be read for its link.
   Callbacks may call the stand-in, register and unregister. */
typedef int32_t (*Cfgmgr32StandinFireFn)(uint32_t action, const char* instanceIdUtf8);

/* Export "Cfgmgr32StandinRegistrationCount": registrations handed out and not yet unregistered. */
typedef int32_t (*Cfgmgr32StandinRegistrationCountFn)(void);

/* Export "Cfgmgr32StandinUnregisterCount": registrations that CM_Unregister_Notification forgot
   since the last StandinResetCallLog (the call log counts every call, refused ones too). */
typedef int32_t (*Cfgmgr32StandinUnregisterCountFn)(void);

/* Export "Cfgmgr32StandinLastFilter": the 416 bytes of the filter of the last
   CM_Register_Notification call that passed its pointer and cbSize checks (whether or not it then
   failed), as 832 lower-case hexadecimal digits in memory order; "" when there was none since
   load or the last StandinResetCallLog. Valid until the next call. */
typedef const char* (*Cfgmgr32StandinLastFilterFn)(void);

/* Export "Cfgmgr32StandinFailRegistrations": every following CM_Register_Notification whose
   arguments pass the checks fails with this CONFIGRET (e.g. CR_FAILURE 0x13) until it is called
   with 0 (CR_SUCCESS). */
typedef void (*Cfgmgr32StandinFailRegistrationsFn)(uint32_t configret);

/* Besides these it has the control API of every stand-in (standin_control.h): StandinLoadWorld,
   StandinCallLog, StandinResetCallLog (which also clears the unregister count and the last
   filter, but keeps registrations, links and the failure code), StandinCallCount and
   StandinCallSequence. */

#ifdef __cplusplus
}
#endif
