#include "host/host_directory.h"

#include <cstring>

namespace {

HostDirectory* g_directory = nullptr;

// The host keeps names in fields of this size, as the plug-in's copies.
constexpr size_t kHostNameField = 64;

int GetStockQty() { return g_directory ? static_cast<int>(g_directory->Symbols().size()) : 0; }

StockInfo* AddStock(const char* ticker) {
  return g_directory && ticker ? g_directory->Add(ticker) : nullptr;
}

int SetCategoryName(int kind, int item, const char* name) {
  if (g_directory == nullptr || kind < 0 || kind > 3 || name == nullptr) return 0;
  g_directory->SetName(kind, item, name);
  return 1;
}

const char* GetCategoryName(int kind, int item) {
  if (g_directory == nullptr || kind < 0 || kind > 3) return "";
  auto found = g_directory->Names(kind).find(item);
  return found == g_directory->Names(kind).end() ? "" : found->second.c_str();
}

int SetIndustrySector(int industry, int sector) {
  if (g_directory == nullptr) return 0;
  g_directory->SetSector(industry, sector);
  return 1;
}

int GetIndustrySector(int industry) {
  if (g_directory == nullptr) return 0;
  auto found = g_directory->IndustrySectors().find(industry);
  return found == g_directory->IndustrySectors().end() ? 0 : found->second;
}

}  // namespace

void HostDirectory::Attach(InfoSite* site) {
  g_directory = this;
  site->nStructSize = sizeof *site;
  site->GetStockQty = GetStockQty;
  site->AddStock = AddStock;
  site->SetCategoryName = SetCategoryName;
  site->GetCategoryName = GetCategoryName;
  site->SetIndustrySector = SetIndustrySector;
  site->GetIndustrySector = GetIndustrySector;
}

HostDirectory::~HostDirectory() {
  if (g_directory == this) g_directory = nullptr;
}

int HostDirectory::Market(const StockInfo& r) {
  const uint32_t word = r.MarketGroupFlags;
  return static_cast<int>((word & 1u) | ((word >> 1) & 0x7FFEu));
}

StockInfo* HostDirectory::Add(const char* ticker) {
  auto found = m_byTicker.find(ticker);
  if (found != m_byTicker.end()) return &found->second->record;
  auto symbol = std::make_unique<Symbol>();
  symbol->ticker = ticker;
  std::memset(&symbol->record, 0, sizeof symbol->record);
  std::strncpy(symbol->record.ShortName, ticker, sizeof symbol->record.ShortName - 1);
  Symbol* kept = symbol.get();
  m_symbols.push_back(std::move(symbol));
  m_byTicker[kept->ticker] = kept;
  return &kept->record;
}

void HostDirectory::SetName(int kind, int item, const char* name) {
  m_names[kind][item] = std::string(name, strnlen(name, kHostNameField - 1));
}
