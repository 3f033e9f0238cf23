#pragma once
// Host plug-in library, imported at link time from libHarbor_x64.dll.

extern "C" {
// UTF-8 path of the folder that holds the host's plug-in libraries.
__declspec(dllimport) const char* Hrb_GetRegistryExportsPath(void);
}
