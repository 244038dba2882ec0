// Date-times that arrive as text (a column the server computes as a string,
// such as a date and a time joined into one) read into a timestamp.
//
// The reader converts such a column itself instead of asking the driver for a
// timestamp: MariaDB Connector/ODBC 3.1 keeps, and never frees, a copy of the
// text of every value it converts that way, which costs a 100,000-bar request
// about 3 MB for the rest of the process's life. The conversion here gives
// what that driver gives for the same text, including its leniency: fields
// are not range-checked, a two-digit year is taken as 1970 to 2069, and a
// value that is all zeros reads as NULL.
#ifndef VELMORA_DB_TIMESTAMP_TEXT_H_
#define VELMORA_DB_TIMESTAMP_TEXT_H_

#include <cstddef>

#include "db/database.h"

enum class TimestampText { kValue, kNull, kInvalid };

// Reads "[-]Y-M-D", "[-]Y-M-D h:m:s[.fraction]" or "h:m:s[.fraction]" (white
// space before any number is skipped; whatever follows the last field is
// ignored). kInvalid stands for the driver's "Datetime field overflow".
TimestampText ParseTimestampText(const char* text, size_t length, DBTimestamp& out);

#endif  // VELMORA_DB_TIMESTAMP_TEXT_H_
