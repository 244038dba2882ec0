// The charting host's published records, as the plug-in reads and writes them.
//
// Every record is declared once, with natural types (pointers stay pointers),
// so the same declarations serve the 32-bit shipping DLL, the 64-bit DLL and the
// Linux build. The 32-bit host's byte layout is checked below at compile time;
// records without pointers have the same layout on every build.
#ifndef VELMORA_ABI_HOST_RECORDS_H_
#define VELMORA_ABI_HOST_RECORDS_H_

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

struct StockInfo;
struct Workspace;

// Identity of a plug-in, copied whole by GetPluginInfo.
struct PluginInfo {
  int32_t nStructSize;
  int32_t nType;
  int32_t nVersion;
  int32_t nIDCode;
  char szName[64];
  char szVendor[64];
  int32_t nCertificate;
  int32_t nMinAmiVersion;
};

// A value handed back to the host: a type code and a 32-bit payload.
struct AmiVar {
  int32_t type;
  union {
    float val;
    char* string;
  };
};

// What the host tells the plug-in through Notify.
struct PluginNotification {
  int32_t nStructSize;
  int32_t nReason;
  const char* pszDatabasePath;
  WindowHandle hMainWnd;
  StockInfo* pCurrentStock;
  Workspace* pWorkspace;
};

// Reason bits of PluginNotification::nReason.
enum : int32_t {
  REASON_DATABASE_LOADED = 1,
  REASON_DATABASE_UNLOADED = 2,
  REASON_STATUS_RMBCLICK = 8,
};

// Posted by the plug-in to the host's main window when new real-time data
// has arrived, so that the host repaints what shows it.
enum : unsigned { WM_STREAMING_UPDATE = 0x0400 + 13000 };  // WM_USER + 13000

// The host's database settings; the plug-in reads the time base and writes
// the switch that lets end-of-day and intraday bars be mixed.
struct Workspace {
  int32_t nStructSize;
  int32_t nDataSource;
  int32_t nDataLocalMode;
  int32_t nTimeBase;
  int32_t nReserved[8];
  int32_t nAllowMixedEODIntra;
  int32_t nReserved2[3];
};

// The plug-in's field in the host's status area.
struct PluginStatus {
  int32_t nStructSize;
  int32_t nStatusCode;
  uint32_t clrStatusColor;  // 0x00BBGGRR
  char szLongMessage[256];
  char szShortMessage[32];
};

// One bar. DateTime is packed (see abi/bar_time.h) and stored low word first.
struct Quotation {
  union {
    uint64_t DateTime;
    struct {
      uint32_t DateTimeLow;
      uint32_t DateTimeHigh;
    };
  };
  float Close;
  float Open;
  float High;
  float Low;
  float Volume;
  float OpenInterest;
  float Aux1;
  float Aux2;
};

// The older bar record of GetQuotes: 30 bytes, no gaps. The packed time is
// second/5 (15 at end of day) in bits 0..3, minute 4..9, hour 10..14,
// day 15..19, month 20..23 and year - 1900 in 24..31.
#pragma pack(push, 1)
struct QuotationOld {
  uint32_t DateTime;
  float Close;
  float Open;
  float High;
  float Low;
  int32_t Volume;
  int32_t OpenInterest;
  char Reserved[2];
};
#pragma pack(pop)

// A real-time snapshot of one ticker; the host keeps a pointer to it.
struct RecentInfo {
  int32_t nStructSize;
  char Name[64];
  char Exchange[8];
  int32_t Status;
  int32_t ValidFields;
  float Open;
  float High;
  float Low;
  float Last;
  int32_t TradeVolume;
  int32_t TotalVolume;
  float OpenInterest;
  float Change;
  float Prev;
  float Bid;
  int32_t BidSize;
  float Ask;
  int32_t AskSize;
  float EPS;
  float Dividend;
  float DivYield;
  int32_t Shares;
  float High52Week;
  int32_t High52WeekDate;
  float Low52Week;
  int32_t Low52WeekDate;
  int32_t StampDate;
  int32_t StampTime;
  int32_t MoveDate;
  int32_t MoveTime;
  float TradeVolumeFloat;
  float TotalVolumeFloat;
};

// The bits of RecentInfo::ValidFields: which of the record's values the host
// may show.
constexpr int32_t kValidLast = 1;
constexpr int32_t kValidOpen = 2;
constexpr int32_t kValidHighLow = 4;
constexpr int32_t kValidTradeVolume = 8;
constexpr int32_t kValidTotalVolume = 16;
constexpr int32_t kValidOpenInterest = 32;
constexpr int32_t kValidChange = 64;  // the previous price and the change
constexpr int32_t kValidBid = 128;
constexpr int32_t kValidAsk = 256;
constexpr int32_t kValidEps = 512;
constexpr int32_t kValidDividend = 1024;
constexpr int32_t kValidShares = 2048;
constexpr int32_t kValid52Week = 4096;  // high and low
constexpr int32_t kValidDateChange = 8192;
constexpr int32_t kValidDateUpdate = 16384;

// A symbol in the host's database, as far as the directory import fills it.
struct StockInfo {
  char ShortName[14];
  char FullName[128];
  char Address[128];
  char Country[26];
  uint32_t MarketGroupFlags;  // market in bits 0 and 2..15, group in 16..31
  float Reserved[10];
  int32_t IndustryID;
  uint32_t Flags;  // bit 0: the symbol is an index
  float Reserved2[8];
};

// The host's call-back table, handed to Configure.
struct InfoSite {
  int32_t nStructSize;
  int (*GetStockQty)();
  StockInfo* (*AddStock)(const char* pszTicker);
  int (*SetCategoryName)(int nCategory, int nItem, const char* pszName);
  const char* (*GetCategoryName)(int nCategory, int nItem);
  int (*SetIndustrySector)(int nIndustry, int nSector);
  int (*GetIndustrySector)(int nIndustry);
};

// Layouts that hold on every build: no pointers inside.
static_assert(sizeof(PluginInfo) == 152);
static_assert(offsetof(PluginInfo, nIDCode) == 12);
static_assert(offsetof(PluginInfo, szName) == 16);
static_assert(offsetof(PluginInfo, szVendor) == 80);
static_assert(offsetof(PluginInfo, nCertificate) == 144);
static_assert(offsetof(PluginInfo, nMinAmiVersion) == 148);

static_assert(offsetof(Workspace, nTimeBase) == 3 * 4);
static_assert(offsetof(Workspace, nAllowMixedEODIntra) == 12 * 4);

static_assert(offsetof(PluginStatus, nStatusCode) == 4);
static_assert(offsetof(PluginStatus, clrStatusColor) == 8);
static_assert(offsetof(PluginStatus, szLongMessage) == 12);
static_assert(offsetof(PluginStatus, szShortMessage) == 268);

static_assert(sizeof(Quotation) == 40);
static_assert(offsetof(Quotation, Close) == 8);
static_assert(offsetof(Quotation, Open) == 12);
static_assert(offsetof(Quotation, High) == 16);
static_assert(offsetof(Quotation, Low) == 20);
static_assert(offsetof(Quotation, Volume) == 24);
static_assert(offsetof(Quotation, OpenInterest) == 28);
static_assert(offsetof(Quotation, Aux1) == 32);
static_assert(offsetof(Quotation, Aux2) == 36);

static_assert(sizeof(QuotationOld) == 30);
static_assert(offsetof(QuotationOld, Volume) == 20);
static_assert(offsetof(QuotationOld, OpenInterest) == 24);

static_assert(sizeof(RecentInfo) == 192);
static_assert(offsetof(RecentInfo, Name) == 4);
static_assert(offsetof(RecentInfo, Status) == 76);
static_assert(offsetof(RecentInfo, ValidFields) == 80);
static_assert(offsetof(RecentInfo, Open) == 84);
static_assert(offsetof(RecentInfo, High) == 88);
static_assert(offsetof(RecentInfo, Low) == 92);
static_assert(offsetof(RecentInfo, Last) == 96);
static_assert(offsetof(RecentInfo, Change) == 112);
static_assert(offsetof(RecentInfo, Bid) == 120);
static_assert(offsetof(RecentInfo, Ask) == 128);
static_assert(offsetof(RecentInfo, StampDate) == 168);
static_assert(offsetof(RecentInfo, StampTime) == 172);
static_assert(offsetof(RecentInfo, MoveDate) == 176);
static_assert(offsetof(RecentInfo, MoveTime) == 180);

static_assert(offsetof(StockInfo, FullName) == 14);
static_assert(offsetof(StockInfo, MarketGroupFlags) == 296);
static_assert(offsetof(StockInfo, IndustryID) == 340);
static_assert(offsetof(StockInfo, Flags) == 344);

// Layouts with pointers: the 32-bit host's offsets, checked where pointers are
// four bytes wide, as in the shipping DLL.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(AmiVar) == 8);
static_assert(offsetof(PluginNotification, nReason) == 1 * 4);
static_assert(offsetof(PluginNotification, hMainWnd) == 3 * 4);
static_assert(offsetof(PluginNotification, pWorkspace) == 5 * 4);
static_assert(offsetof(InfoSite, AddStock) == 8);
static_assert(offsetof(InfoSite, SetCategoryName) == 12);
static_assert(offsetof(InfoSite, SetIndustrySector) == 20);
#endif

#endif  // VELMORA_ABI_HOST_RECORDS_H_
