#include "installation.h"

#include <cstdlib>

namespace loadgen {

int NumberOf(const std::string& text) {
  return static_cast<int>(static_cast<float>(std::strtod(text.c_str(), nullptr)));
}

bool AcceptSession(Installation& inst, const std::vector<std::string>& row) {
  // LastConnID, CurrConnID, Permit, ...: a session held under a number this
  // plug-in never saw is held elsewhere.
  if (row.size() < 3) return false;
  int last = NumberOf(row[0]);
  int held_elsewhere = last != inst.curr_conn_id ? last : 0;
  inst.curr_conn_id = NumberOf(row[1]);
  return held_elsewhere == 0 && NumberOf(row[2]) != 0;
}

bool ApplyMarketStatus(Installation& inst, const std::vector<std::string>& row) {
  // StatusMessage, isMarketClosed, PrevConnID, ConnID, SessionStatus,
  // MarketDate, EOD.
  if (row.size() < 7) return false;
  int previous = NumberOf(row[2]);
  int current = NumberOf(row[3]);
  inst.session_status = NumberOf(row[4]);
  const std::string& date = row[5];  // YYYY-MM-DD
  if (date.size() >= 10)
    inst.market_date = std::atoi(date.substr(0, 4).c_str()) * 10000 +
                       std::atoi(date.substr(5, 2).c_str()) * 100 +
                       std::atoi(date.substr(8, 2).c_str());
  inst.eod = NumberOf(row[6]) != 0;
  if (previous != current) {
    inst.conn_id_previous = previous;
    inst.conn_id_current = current;
    inst.curr_conn_id = current;
    inst.pending.push_front(kConnId);
  }
  return inst.session_status == 0;
}

}  // namespace loadgen
