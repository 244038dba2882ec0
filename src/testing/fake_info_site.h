// A host's InfoSite for the tests: keeps what a host keeps (StockInfo
// records, category names, industry sectors) and logs every call in order.
// Only the call-backs the plug-in uses are filled in.
// The call-backs carry no context, so there is one fake host at a time.
#ifndef VELMORA_TESTING_FAKE_INFO_SITE_H_
#define VELMORA_TESTING_FAKE_INFO_SITE_H_

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "abi/host_records.h"

namespace fake_host {

// Bytes after each record that nothing may write.
constexpr size_t kGuardSize = 64;
constexpr unsigned char kGuardByte = 0xA5;

struct GuardedRecord {
  StockInfo record;
  unsigned char guard[kGuardSize];
};

class FakeInfoSite {
 public:
  FakeInfoSite();   // becomes the current fake host
  ~FakeInfoSite();

  const InfoSite* site() const { return &m_site; }

  // A record the host already holds, as after an earlier session.
  StockInfo& Hold(const std::string& ticker);
  StockInfo* Find(const std::string& ticker);
  bool GuardIntact(const std::string& ticker) const;

  // Calls in order: "name K I text", "sector I S", "add TICKER".
  std::vector<std::string> calls;
  std::map<std::pair<int, int>, std::string> names;  // (kind, item) -> name
  std::map<int, int> sectorOf;                       // industry -> sector
  std::map<std::string, std::unique_ptr<GuardedRecord>> stocks;
  bool refuseRecords = false;  // AddStock yields null

 private:
  InfoSite m_site{};
};

}  // namespace fake_host

#endif  // VELMORA_TESTING_FAKE_INFO_SITE_H_
