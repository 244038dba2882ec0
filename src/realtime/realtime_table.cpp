#include "realtime/realtime_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "db/format.h"

CRealtimeTable* RealtimeTable = nullptr;

namespace {

// The host's pointers into the table are good until the library is
// unloaded; then the table goes with it, or a host that loads the plug-in
// again would lose its block every time.
struct TableRelease {
  ~TableRelease() {
    delete RealtimeTable;
    RealtimeTable = nullptr;
  }
} g_tableRelease;

}  // namespace

CRealtimeTable* CRealtimeTable::Create() {
  void* block = std::calloc(kCapacity, sizeof(RecentInfo));
  if (block == nullptr) return nullptr;
  CRealtimeTable* table = new (std::nothrow) CRealtimeTable(static_cast<RecentInfo*>(block));
  if (table == nullptr) std::free(block);
  return table;
}

CRealtimeTable::~CRealtimeTable() { std::free(m_records); }

RecentInfo* CRealtimeTable::FindOrAddRecentInfo(const char* ticker) {
  if (ticker == nullptr) return nullptr;
  int n = 0;
  for (; n < kCapacity && m_records[n].Name[0] != '\0'; ++n)
    if (EqualIgnoringCase(m_records[n].Name, ticker)) return &m_records[n];
  if (n >= kMaxTickers) return nullptr;
  size_t length = std::strlen(ticker);
  if (length >= sizeof m_records[n].Name) return nullptr;
  std::memcpy(m_records[n].Name, ticker, length + 1);
  m_records[n].Status = 0;
  return &m_records[n];
}

int CRealtimeTable::FindRecentInfoIndex(const char* code) const {
  for (int i = 0; i < kCapacity && m_records[i].Name[0] != '\0'; ++i)
    if (std::strcmp(m_records[i].Name, code) == 0) return i;
  return -1;
}

int CRealtimeTable::UsedCount() const {
  int n = 0;
  while (n < kCapacity && m_records[n].Name[0] != '\0') ++n;
  return n;
}

RecentInfo* GetRecentInfoRecord(const char* ticker) {
  if (RealtimeTable == nullptr) RealtimeTable = CRealtimeTable::Create();
  if (RealtimeTable == nullptr) return nullptr;
  return RealtimeTable->FindOrAddRecentInfo(ticker);
}
