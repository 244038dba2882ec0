// The host's symbol database as far as a data plug-in fills it through the
// InfoSite call-backs: one StockInfo record per ticker (the host's layout,
// kept at a fixed address for the life of the session), the names of the
// four category kinds, and the sector of each industry.
#ifndef VELMORA_HOST_HOST_DIRECTORY_H_
#define VELMORA_HOST_HOST_DIRECTORY_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "src/abi/host_records.h"

class HostDirectory {
 public:
  // Fills `site` with call-backs that reach this directory. The call-backs
  // carry no context, so the last directory to do so receives them.
  void Attach(InfoSite* site);
  ~HostDirectory();

  struct Symbol {
    std::string ticker;
    StockInfo record;
  };

  // Symbols in the order they were first added.
  const std::vector<std::unique_ptr<Symbol>>& Symbols() const { return m_symbols; }
  // Names of one kind (0 market, 1 group, 2 sector, 3 industry) by number.
  const std::map<int, std::string>& Names(int kind) const { return m_names[kind & 3]; }
  const std::map<int, int>& IndustrySectors() const { return m_sectors; }

  // The fields a data plug-in writes, read back from a record.
  static int Market(const StockInfo& r);
  static int Group(const StockInfo& r) { return static_cast<int>(r.MarketGroupFlags >> 16); }
  static bool IsIndex(const StockInfo& r) { return (r.Flags & 1u) != 0; }

  StockInfo* Add(const char* ticker);
  void SetName(int kind, int item, const char* name);
  void SetSector(int industry, int sector) { m_sectors[industry] = sector; }

 private:
  std::vector<std::unique_ptr<Symbol>> m_symbols;
  std::map<std::string, Symbol*> m_byTicker;
  std::map<int, std::string> m_names[4];
  std::map<int, int> m_sectors;
};

#endif  // VELMORA_HOST_HOST_DIRECTORY_H_
