#pragma once

#include <cstdint>

namespace tavlex::mf {

// The code page (a Qt converter name) of a LOGFONT character set, or nullptr for the sets with
// no code page of their own (DEFAULT_CHARSET, SYMBOL_CHARSET, unknown numbers); callers choose
// what those mean to them.
const char* CodePageOfCharSet(std::uint8_t charSet);

}  // namespace tavlex::mf
