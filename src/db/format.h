// Text helpers: printf into a std::string (every statement text is
// formatted this way) and the C library's case-blind compare.
#ifndef VELMORA_DB_FORMAT_H_
#define VELMORA_DB_FORMAT_H_

#include <string>
#include <string_view>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Equal when only ASCII letter case differs, as _stricmp compares.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

#endif  // VELMORA_DB_FORMAT_H_
