// The server's configuration table: backfill start dates and poll intervals.
#ifndef VELMORA_DB_SERVER_CONFIG_H_
#define VELMORA_DB_SERVER_CONFIG_H_

#include <string>

class CGlobal;
struct DBTimestamp;

// Reads "Select * From NVConfig" on the open m_pDatabase. Dates replace the
// members; intervals only ever grow; a NULL leaves its members as they were.
// Database errors propagate to the caller.
void LoadServerConfig(CGlobal& g);

// The date as yyyymmdd and as "%d-%02d-%02d".
int DateNumber(const DBTimestamp& date);
std::string DateText(const DBTimestamp& date);

#endif  // VELMORA_DB_SERVER_CONFIG_H_
