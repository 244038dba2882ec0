// Refreshing every real-time record with one statement.
#ifndef VELMORA_REALTIME_REALTIME_REFRESH_H_
#define VELMORA_REALTIME_REALTIME_REFRESH_H_

#include <string>
#include <vector>

class CGlobal;

// The 19 real-time columns, "Code" first.
void GetRealtimeColumns(std::vector<std::string>& columns);
// Rebuilds m_strRealtimeColumns.
void BuildRealtimeColumnList(CGlobal& g);
// The statement for a symbol list such as 'A','B'.
std::string BuildRealtimeQuery(const CGlobal& g, const std::string& symbols);

// Brings every record of RealtimeTable up to date from the server. 1 on
// success or when there is nothing to do; 0 when a database error ended it.
int GetRealtimeQuote(CGlobal& g);

#endif  // VELMORA_REALTIME_REALTIME_REFRESH_H_
