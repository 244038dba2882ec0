// Every statement text built with any client id, e-mail, message, ticker,
// start point and symbol list. The account texts and the message reach the
// server exactly as held, as single-quoted texts it cannot be led out of
// (a C text ends at its first NUL); the ticker goes in unescaped, by design.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "src/db/statements.h"
#include "src/plugin/global.h"

namespace {

// The quoted texts of a statement as the server reads them: '' and a
// backslash before a character stand for that character.
std::vector<std::string> Texts(const std::string& sql) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < sql.size(); ++i) {
    if (sql[i] != '\'') continue;
    std::string text;
    for (++i; i < sql.size(); ++i) {
      if (sql[i] == '\\' && i + 1 < sql.size()) {
        text += sql[++i];
      } else if (sql[i] == '\'' && i + 1 < sql.size() && sql[i + 1] == '\'') {
        text += sql[++i];
      } else if (sql[i] == '\'') {
        break;
      } else {
        text += sql[i];
      }
    }
    texts.push_back(text);
  }
  return texts;
}

void Expect(const std::string& sql, const std::vector<std::string>& texts) {
  if (Texts(sql) != texts) std::abort();
}

std::string AsC(const std::string& text) { return text.c_str(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CGlobal g;
  static const bool built = (BuildEodColumnList(g), BuildIntradayColumnList(g),
                             BuildRealtimeColumnList(g), true);
  (void)built;
  FuzzedDataProvider in(data, size);
  g.m_strClientId = in.ConsumeRandomLengthString();
  g.m_strEmail = in.ConsumeRandomLengthString();
  g.m_nSessionSeq = in.ConsumeIntegral<int32_t>();
  const std::string message = in.ConsumeRandomLengthString();
  const std::string ticker = in.ConsumeRandomLengthString();
  const std::string date = in.ConsumeRandomLengthString();
  const std::string time = in.ConsumeRandomLengthString();
  const int periodicity = in.ConsumeIntegral<int>();
  const std::string symbols = in.ConsumeRemainingBytesAsString();

  const std::string id = AsC(g.m_strClientId), email = AsC(g.m_strEmail);
  Expect(SessionStatement(g), {id, id});
  Expect(RegisterCall(g), {id, email, g.m_strVersion, g.m_strPlatformBits});
  Expect(LogCall(g, message), {id, email, AsC(message)});
  Expect(DisconnectCall(g), {id, email});
  Expect(MarketStatusStatement(g), {email, id});
  Expect(ConnIdCall(g, in.ConsumeIntegral<int>(), periodicity), {id, email});
  const std::string bars = BuildBarQuery(g, ticker, periodicity, date, time);
  if ((periodicity == 86400 || periodicity == 60) != !bars.empty()) std::abort();
  if (!bars.empty() && bars.find(AsC(ticker)) == std::string::npos) std::abort();
  if (BuildRealtimeQuery(g, symbols).find(AsC(symbols)) == std::string::npos) std::abort();
  return 0;
}
