// printf into a std::string: every statement text is formatted this way.
#ifndef VELMORA_DB_FORMAT_H_
#define VELMORA_DB_FORMAT_H_

#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif  // VELMORA_DB_FORMAT_H_
