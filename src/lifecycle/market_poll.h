// The market-status poll of every timer tick.
#ifndef VELMORA_LIFECYCLE_MARKET_POLL_H_
#define VELMORA_LIFECYCLE_MARKET_POLL_H_

class CGlobal;

// Reads this account's status row: the market's state and date, and whether
// the session is still valid. Reports differing connection ids to the server.
// 1 when the session is valid, 0 otherwise (also for no row). Database errors
// are left to the caller.
int PollMarketStatus(CGlobal& g);

#endif  // VELMORA_LIFECYCLE_MARKET_POLL_H_
