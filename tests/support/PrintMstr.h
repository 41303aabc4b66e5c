#pragma once
// Host strings in test failure messages: their text, as UTF-8.

#include <strclass.h>

#include "platform/Platform.h"

#include <ostream>

// Found by argument-dependent lookup, so it lives beside WStr in the global namespace.
inline void PrintTo(const WStr& text, std::ostream* os) {
    *os << '"' << platform::WideToUtf8(text.data()) << '"';
}
