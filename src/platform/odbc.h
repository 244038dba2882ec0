// The ODBC C API. On Windows its headers need <windows.h> first, which is
// why they are reached only through this file.
#ifndef VELMORA_PLATFORM_ODBC_H_
#define VELMORA_PLATFORM_ODBC_H_

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#endif  // VELMORA_PLATFORM_ODBC_H_
