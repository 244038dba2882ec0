// CGlobal: every piece of state the plug-in keeps between the host's calls.
//
// One static instance lives for the life of the library (plugin/app.cpp).
// Members are public and read and written directly by the subsystems; the
// free functions of each subsystem take the instance by reference, so tests
// can build a fresh one.
#ifndef VELMORA_PLUGIN_GLOBAL_H_
#define VELMORA_PLUGIN_GLOBAL_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

class CDatabase;

class CGlobal {
 public:
  CGlobal();
  virtual ~CGlobal();

  CGlobal(const CGlobal&) = delete;
  CGlobal& operator=(const CGlobal&) = delete;

  std::string m_strColAdjClose;
  std::string m_strColClose;
  std::string m_strColTrDate;
  std::string m_strConnect;
  std::string m_strColHigh;
  std::string m_strColLow;
  std::string m_strColOpen;
  std::string m_strColCloseBidAsk;
  std::string m_strColBid;
  std::string m_strColAsk;
  std::string m_strColVolume;
  std::string m_strEodColumns;
  std::string m_strIntradayColumns;
  std::string m_strRealtimeColumns;
  std::string m_strServerAddress;
  std::string m_strServerPort;
  std::string m_strClientId;
  std::string m_strUserName;
  std::string m_strEmail;
  std::string m_strQuoteOpen;
  std::string m_strQuoteClose;
  CDatabase* m_pDatabase;  // owned; null when not connected
  int32_t m_bAutoConnect;
  WindowHandle m_hMainWnd;
  int32_t m_nDialect;
  int32_t m_nSessionSeq;
  int32_t m_nLastConnId;
  int32_t m_nCurrConnId;
  std::string m_strStatusMessage;
  int32_t m_bMarketClosed;
  std::string m_strBackfillEod;
  std::string m_strBackfillIntraday;
  std::string m_strStartTime;
  int32_t m_nBackfillEod;
  int32_t m_nBackfillIntraday;
  std::string m_strPlatformBits;
  std::string m_strVersion;
  char m_szConnBase[256];
  char m_szUid[256];
  char m_szPwd[256];
  int32_t m_nSessionStatus;
  char m_szSelect[8];
  char m_szFrom[8];
  char m_szWhere[8];
  char m_szCall[8];
  char m_szOrderBy[16];
  int32_t m_bRemoveZeroVolume;
  int32_t m_bEod;
  int32_t m_nMarketDate;
  int32_t m_nTradeInterval;
  int32_t m_nEodInterval;

  // Identity table: byte i holds i. Assembled names take their characters
  // from it, through the character codes below.
  unsigned char m_charTable[256];

  // The characters that assembled names are made of, and the code of each.
  static constexpr std::string_view kCharSet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
      " _.,()'=;%*-:<>`[]";
  std::array<int32_t, 80> m_nCharCodes;

  // Server object names and pieces of statements, assembled at construction.
  std::string m_strNameShared;   // database qualifier of the server's tables
  std::string m_strPollName1;    // market state table
  std::string m_strPollName2;    // session table as the poll joins it
  std::string m_strPollName3;    // connection-id procedure
  std::string m_strLogProc;      // message-log call template
  std::string m_strSessionProc;  // session-registration call template
  std::string m_strUserNameKey;  // registry value and session column
  std::string m_strEmailKey;     // registry value of the e-mail
  std::string m_strEmailColumn;  // session column of the e-mail
  std::string m_strSessionTable;
};

static_assert(CGlobal::kCharSet.size() == 80);

// Builds a text one character at a time from the character table, each
// character passed through QuoteName, as every run-time name is built.
std::string AssembleName(const CGlobal& g, std::string_view text);

#endif  // VELMORA_PLUGIN_GLOBAL_H_
