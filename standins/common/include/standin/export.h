#pragma once
// Every stand-in names its exports explicitly: once one symbol is marked for
// export, the MinGW linker stops exporting everything else, so nothing of the
// statically linked runtime leaks into the export table.
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
