#include "testing/fake_info_site.h"

#include <cstring>

namespace fake_host {

namespace {

FakeInfoSite* g_current = nullptr;

StockInfo* AddStock(const char* ticker) {
  g_current->calls.push_back(std::string("add ") + ticker);
  if (g_current->refuseRecords) return nullptr;
  return &g_current->Hold(ticker);
}

int SetCategoryName(int kind, int item, const char* name) {
  g_current->calls.push_back("name " + std::to_string(kind) + " " + std::to_string(item) + " " +
                             name);
  g_current->names[{kind, item}] = name;
  return 1;
}

int SetIndustrySector(int industry, int sector) {
  g_current->calls.push_back("sector " + std::to_string(industry) + " " + std::to_string(sector));
  g_current->sectorOf[industry] = sector;
  return 1;
}

}  // namespace

FakeInfoSite::FakeInfoSite() {
  g_current = this;
  m_site.nStructSize = sizeof m_site;
  m_site.AddStock = AddStock;
  m_site.SetCategoryName = SetCategoryName;
  m_site.SetIndustrySector = SetIndustrySector;
}

FakeInfoSite::~FakeInfoSite() {
  if (g_current == this) g_current = nullptr;
}

StockInfo& FakeInfoSite::Hold(const std::string& ticker) {
  auto& slot = stocks[ticker];
  if (!slot) {
    slot = std::make_unique<GuardedRecord>();  // zeroed
    std::strncpy(slot->record.ShortName, ticker.c_str(), sizeof slot->record.ShortName - 1);
    std::memset(slot->guard, kGuardByte, sizeof slot->guard);
  }
  return slot->record;
}

StockInfo* FakeInfoSite::Find(const std::string& ticker) {
  auto found = stocks.find(ticker);
  return found == stocks.end() ? nullptr : &found->second->record;
}

bool FakeInfoSite::GuardIntact(const std::string& ticker) const {
  auto found = stocks.find(ticker);
  if (found == stocks.end()) return false;
  for (unsigned char byte : found->second->guard)
    if (byte != kGuardByte) return false;
  return true;
}

}  // namespace fake_host
