#include "realtime/realtime_refresh.h"

#include <array>
#include <cstdio>
#include <new>

#include "db/database.h"
#include "db/quoting.h"
#include "db/server_config.h"
#include "db/statements.h"
#include "plugin/global.h"
#include "realtime/realtime_table.h"

namespace {

// Positions in the column list (0-based) of the values the record takes.
enum Column : int {
  kCode = 0,
  kLastUpdate = 1,
  kOpen = 2,
  kHigh = 3,
  kLow = 4,
  kLast = 5,
  kChg = 7,
  kBidPrice = 9,
  kOfferPrice = 10,
  kColumnCount = 19,
};

// What every refreshed record declares valid; open and high/low are added
// only when present, open interest and shares never.
constexpr int32_t kBaseValidFields = kValidLast | kValidTradeVolume | kValidTotalVolume |
                                     kValidChange | kValidBid | kValidAsk | kValidEps |
                                     kValidDividend | kValid52Week | kValidDateChange |
                                     kValidDateUpdate;

// The float of a column into a field; a NULL leaves the field as it was.
void StoreFloat(const CDBVariant& value, float& field) {
  if (!value.IsNull()) field = value.m_fltVal;
}

float* FloatField(RecentInfo& record, int position) {
  switch (position) {
    case kOpen: return &record.Open;
    case kHigh: return &record.High;
    case kLow: return &record.Low;
    case kLast: return &record.Last;
    case kChg: return &record.Change;
    case kBidPrice: return &record.Bid;
    case kOfferPrice: return &record.Ask;
    default: return nullptr;  // read, but no field takes it
  }
}

// Applies the current row to its record; a row whose code matches no record
// exactly is skipped.
void ApplyRow(CSRecordset& rs, const std::array<short, kColumnCount>& index, std::string& code,
              CRealtimeTable& table) {
  if (index[kCode] < 0) return;
  rs.GetFieldValue(index[kCode], code);
  int found = table.FindRecentInfoIndex(code.c_str());
  if (found < 0) return;
  RecentInfo& record = *table.Record(found);
  const float last = record.Last, bid = record.Bid, ask = record.Ask;

  CDBVariant value;
  for (int position = 1; position < kColumnCount; ++position) {
    if (index[position] < 0) continue;
    if (position == kLastUpdate) {
      rs.GetFieldValue(index[position], value, SQL_C_TIMESTAMP_TYPE);
      if (value.IsNull()) continue;
      const DBTimestamp& t = value.m_date;
      record.StampDate = DateNumber(t);
      record.StampTime = (t.hour * 100 + t.minute) * 100 + t.second;
      continue;
    }
    rs.GetFieldValue(index[position], value, SQL_C_FLOAT_TYPE);
    if (float* field = FloatField(record, position)) StoreFloat(value, *field);
  }

  // != is true for an unordered pair too, so a NaN counts as a move.
  if (record.Last != last || record.Bid != bid || record.Ask != ask) {
    record.MoveDate = record.StampDate;
    record.MoveTime = record.StampTime;
  }
  record.ValidFields = kBaseValidFields + (record.Open != 0.0f ? kValidOpen : 0) +
                       (record.High != 0.0f ? kValidHighLow : 0);
  record.Status = 15;
}

}  // namespace

int GetRealtimeQuote(CGlobal& g) {
  CRealtimeTable* table = RealtimeTable;
  if (table == nullptr) return 1;

  const int used = table->UsedCount();
  if (used == 0 || g.m_pDatabase == nullptr) return 1;

  // Running out of memory ends the refresh like a database error: the host
  // must never see an exception.
  try {
    std::vector<std::string_view> names;
    names.reserve(static_cast<size_t>(used));
    for (int i = 0; i < used; ++i) names.emplace_back(table->Record(i)->Name);
    const std::string symbols = BuildSymbolList(g, names);

    CSRecordset rs(g.m_pDatabase);
    // One row per ticker: the whole answer in one block.
    rs.SetRowsetSize(CRealtimeTable::kMaxTickers);
    if (!rs.Open(CSRecordset::forwardOnly, BuildRealtimeQuery(g, symbols), 0)) return 1;

    // Resolved once: a column the result lacks stays -1 and is skipped for
    // every row.
    std::vector<std::string> columns;
    GetRealtimeColumns(columns);
    std::array<short, kColumnCount> index;
    index.fill(-1);
    for (int position = 0; position < kColumnCount; ++position) {
      if (columns[position].empty()) continue;
      try {
        index[position] = rs.GetFieldIndexByName(columns[position]);
      } catch (const CDBException&) {
      }
    }

    std::string code;
    while (!rs.IsEOF()) {
      ApplyRow(rs, index, code, *table);
      rs.MoveNext();
    }
  } catch (const CDBException&) {
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}
