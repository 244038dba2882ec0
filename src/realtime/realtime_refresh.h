// Refreshing every real-time record with one statement.
#ifndef VELMORA_REALTIME_REALTIME_REFRESH_H_
#define VELMORA_REALTIME_REALTIME_REFRESH_H_

class CGlobal;

// Brings every record of RealtimeTable up to date from the server. 1 on
// success or when there is nothing to do; 0 when a database error ended it.
int GetRealtimeQuote(CGlobal& g);

#endif  // VELMORA_REALTIME_REALTIME_REFRESH_H_
