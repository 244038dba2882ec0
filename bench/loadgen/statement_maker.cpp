#include "statement_maker.h"

#include "db/quoting.h"
#include "db/statements.h"
#include "plugin/global.h"

namespace loadgen {

namespace {

// The value of a connection-string piece such as ";UID=name".
std::string AfterEquals(const char* piece) {
  std::string text(piece);
  size_t eq = text.find('=');
  return eq == std::string::npos ? std::string() : text.substr(eq + 1);
}

}  // namespace

StatementMaker::StatementMaker() : g_(std::make_unique<CGlobal>()) {
  // What loading the settings prepares before any statement is built.
  SetQuoteChars(*g_);
  BuildEodColumnList(*g_);
  BuildIntradayColumnList(*g_);
  BuildRealtimeColumnList(*g_);
}

StatementMaker::~StatementMaker() = default;

std::string StatementMaker::User() const { return AfterEquals(g_->m_szUid); }
std::string StatementMaker::Password() const { return AfterEquals(g_->m_szPwd); }

CGlobal& StatementMaker::As(const Identity& who) {
  g_->m_strClientId = who.client_id;
  g_->m_strEmail = who.email;
  return *g_;
}

std::string StatementMaker::Config() const { return ServerConfigStatement(*g_); }

std::string StatementMaker::Session(const Identity& who) { return SessionStatement(As(who)); }

std::string StatementMaker::Register(const Identity& who, int refused_in_a_row) {
  CGlobal& g = As(who);
  g.m_nSessionSeq = refused_in_a_row;
  return RegisterCall(g);
}

std::string StatementMaker::MarketStatus(const Identity& who) {
  return MarketStatusStatement(As(who));
}

std::string StatementMaker::ConnId(const Identity& who, int previous, int current,
                                   int trade_interval) {
  CGlobal& g = As(who);
  g.m_nTradeInterval = trade_interval;
  return ConnIdCall(g, previous, current);
}

std::string StatementMaker::Disconnect(const Identity& who, int session_status) {
  CGlobal& g = As(who);
  g.m_nSessionStatus = session_status;
  return DisconnectCall(g);
}

std::string StatementMaker::Realtime(const std::vector<std::string_view>& codes) const {
  return BuildRealtimeQuery(*g_, BuildSymbolList(*g_, codes));
}

std::string StatementMaker::Bars(std::string_view ticker, int periodicity,
                                 const std::string& start_date) const {
  // A chart that opens asks from a date at midnight; the daily statement
  // ignores the time.
  return BuildBarQuery(*g_, std::string(ticker), periodicity, start_date, g_->m_strStartTime);
}

}  // namespace loadgen
