#pragma once
// Loading a stand-in DLL of its own for the stand-in tests.

#include <windows.h>

#include <string>

#include "library_harness.h"
#include "platform/handle_owner.h"

namespace standin_test {

// A stand-in from the test executable's folder (the full variant) or from its
// minimal/ subfolder; a fresh load starts in the demo world.
inline kelto::UniqueModule loadStandin(const wchar_t* fileName, bool minimal = false) {
    const std::wstring folder = minimal ? mavel::test::minimalFolder() : mavel::test::binFolder();
    return kelto::UniqueModule(LoadLibraryW((folder + L"\\" + fileName).c_str()));
}

}  // namespace standin_test
