// The plug-in's own statement code, used as the plug-in uses it: one global
// state set up as the plug-in's settings load sets it, the installation's
// client id and e-mail put in before each text is built.
#ifndef VELMORA_BENCH_LOADGEN_STATEMENT_MAKER_H_
#define VELMORA_BENCH_LOADGEN_STATEMENT_MAKER_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CGlobal;

namespace loadgen {

struct Identity {
  std::string client_id;
  std::string email;
};

class StatementMaker {
 public:
  StatementMaker();
  ~StatementMaker();

  // The account compiled into the plug-in.
  std::string User() const;
  std::string Password() const;

  std::string Config() const;
  std::string Session(const Identity& who);
  std::string Register(const Identity& who, int refused_in_a_row);
  std::string MarketStatus(const Identity& who);
  std::string ConnId(const Identity& who, int previous, int current, int trade_interval);
  std::string Disconnect(const Identity& who, int session_status);
  std::string Realtime(const std::vector<std::string_view>& codes) const;
  // Daily (86400) or one-minute (60) bars from a date "Y-MM-DD" on.
  std::string Bars(std::string_view ticker, int periodicity, const std::string& start_date) const;

 private:
  CGlobal& As(const Identity& who);
  std::unique_ptr<CGlobal> g_;
};

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_STATEMENT_MAKER_H_
