#pragma once
// Texts leave the providers in the ANSI code page, as the closed libraries'
// interface promises, and must stay valid after the call returns.

#include <string>
#include <string_view>

namespace provider {

// UTF-16 to the ANSI code page; characters the code page lacks become its
// default character.
std::string toAnsi(std::wstring_view wide);
// The ANSI code page to UTF-16, for texts the library hands in.
std::wstring fromAnsi(std::string_view ansi);

// A text that stays valid, unchanged, until the process ends. Equal texts
// share one copy, so memory grows only with the number of distinct answers,
// never with the number of calls. Safe from any thread.
const char* intern(std::string_view text);
inline const char* internWide(std::wstring_view wide) { return intern(toAnsi(wide)); }

// Up to the first NUL: Windows fills fixed buffers and counted strings alike.
std::wstring_view untilNul(std::wstring_view text) noexcept;

}  // namespace provider
