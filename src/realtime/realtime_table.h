// The table of real-time records handed to the host.
//
// One block of kCapacity zeroed RecentInfo records, allocated once and never
// moved or freed while the library is loaded: the host keeps pointers into it.
// At most kMaxTickers records are ever in use; used records form a prefix.
#ifndef VELMORA_REALTIME_REALTIME_TABLE_H_
#define VELMORA_REALTIME_REALTIME_TABLE_H_

#include "abi/host_records.h"

class CRealtimeTable {
 public:
  static constexpr int kCapacity = 50;
  static constexpr int kMaxTickers = 20;

  // Null when the block could not be allocated. The module's own table is
  // destroyed only when the library is unloaded.
  static CRealtimeTable* Create();
  ~CRealtimeTable();
  CRealtimeTable(const CRealtimeTable&) = delete;
  CRealtimeTable& operator=(const CRealtimeTable&) = delete;

  // The record of a ticker, compared without regard to ASCII letter case, or
  // a new record for it. Null when the table is full or when the ticker does
  // not fit a record's Name (63 characters and the NUL).
  RecentInfo* FindOrAddRecentInfo(const char* ticker);

  // Index of the first used record whose Name equals the code byte for byte,
  // or -1.
  int FindRecentInfoIndex(const char* code) const;

  int UsedCount() const;
  RecentInfo* Record(int index) { return &m_records[index]; }

 private:
  explicit CRealtimeTable(RecentInfo* records) : m_records(records) {}
  RecentInfo* m_records;
};

// The module's table: null until the host's first GetRecentInfo; freed when
// the library is unloaded.
extern CRealtimeTable* RealtimeTable;

// The host's request: creates the table on first use.
RecentInfo* GetRecentInfoRecord(const char* ticker);

#endif  // VELMORA_REALTIME_REALTIME_TABLE_H_
