#pragma once

#include <string>

// snprintf into a std::string, for the fixed number formats of the metadata texts. The format
// must be a literal so that the compiler checks every argument against it.
[[gnu::format(printf, 1, 2)]] std::string PrintfText(const char* format, ...);
