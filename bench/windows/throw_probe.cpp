// The 405 budget's throw, in a module of the bench's own that request_bench
// loads just before the library. Wine finds the module of every frame an
// exception passes by walking the process's modules in load order, so the
// same throw costs more in a module loaded late than in the program itself:
// loaded here, the probe is found one module before the library would be.

#include "throw_probe.h"

extern "C" __declspec(dllexport) std::int32_t ProbeThrowAndCatch(bool reject) noexcept { return throwAndCatch(reject); }
