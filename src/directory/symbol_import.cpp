#include "directory/symbol_import.h"

#include "db/database.h"
#include "db/format.h"
#include "db/statements.h"
#include "directory/stock_record.h"
#include "platform/platform.h"
#include "plugin/global.h"

namespace {

constexpr unsigned kPlainBox = 0x00;        // MB_OK
constexpr unsigned kExclamationBox = 0x30;  // MB_OK | MB_ICONEXCLAMATION

const char* const kMarketNames[] = {"Undefined", "IDX", "IDX Derivatif", "World Market"};
constexpr int kSectorSlots = 64;
constexpr int kIndustrySlots = 256;

bool IsOpen(const CGlobal& g) { return g.m_pDatabase != nullptr && g.m_pDatabase->IsOpen(); }

void ShowException(const CDBException& e) {
  platform::ShowMessageBox(FormatText("#%d:Retrieve all symbol returned following exception.",
                                      static_cast<int>(e.m_nRetCode)),
                           kExclamationBox);
}

// The host's call-backs; a host that left one out is not called.
void SetCategoryName(const InfoSite* site, int kind, int item, const std::string& name) {
  if (site == nullptr || site->SetCategoryName == nullptr) return;
  char copy[kCategoryNameSize];
  CopyCut(copy, sizeof copy, name);
  site->SetCategoryName(kind, item, copy);
}

void SetIndustrySector(const InfoSite* site, int industry, int sector) {
  if (site != nullptr && site->SetIndustrySector != nullptr) site->SetIndustrySector(industry, sector);
}

StockInfo* AddStock(const InfoSite* site, const std::string& ticker) {
  if (site == nullptr || site->AddStock == nullptr) return nullptr;
  return site->AddStock(ticker.c_str());
}

// A number column as a whole number: 32-bit float, truncated; NULL is 0.
int32_t ReadNumber(CSRecordset& rs, const char* column) {
  CDBVariant value;
  rs.GetFieldValue(column, value, SQL_C_FLOAT_TYPE);
  return value.IsNull() ? 0 : FloatToInt(value.m_fltVal);
}

std::string ReadText(CSRecordset& rs, const char* column) {
  std::string text;
  rs.GetFieldValue(column, text);
  return text;
}

bool IsIndexType(const std::string& codeType) {
  // Exactly these spellings: "indices" is a security like any other.
  return codeType == "Indices" || codeType == "INDICES" || codeType == "RegIdx";
}

void ImportGroups(CGlobal& g, const InfoSite* site) {
  CSRecordset rs(g.m_pDatabase);
  if (!rs.Open(CSRecordset::forwardOnly, DirectoryGroupsStatement(g), 0)) return;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    const int32_t id = ReadNumber(rs, "GroupID");
    ReadText(rs, "GroupCode");
    SetCategoryName(site, CATEGORY_GROUP, id, ReadText(rs, "GroupName"));
  }
}

// Names the server no longer lists must not survive an earlier import.
void ResetSectorsAndIndustries(const InfoSite* site) {
  for (int sector = 0; sector < kSectorSlots; ++sector)
    SetCategoryName(site, CATEGORY_SECTOR, sector, "Undefined");
  for (int industry = 0; industry < kIndustrySlots; ++industry) {
    SetCategoryName(site, CATEGORY_INDUSTRY, industry, "");
    SetIndustrySector(site, industry, 0);
  }
}

// Sectors are numbered 1, 2, 3 ... by runs of equal names in the order the
// server returns the rows; a name that comes back later opens a new sector.
void ImportSectors(CGlobal& g, const InfoSite* site) {
  CSRecordset rs(g.m_pDatabase);
  if (!rs.Open(CSRecordset::forwardOnly, DirectorySectorsStatement(g), 0)) return;
  int sector = 1;
  bool first = true;
  std::string previous;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    const std::string sectorName = ReadText(rs, "SectorName");
    const std::string industryName = ReadText(rs, "SSName");
    const int32_t industry = ReadNumber(rs, "SSCode");
    if (first || sectorName != previous) {
      SetCategoryName(site, CATEGORY_SECTOR, sector, sectorName);
      ++sector;
    }
    first = false;
    previous = sectorName;
    SetCategoryName(site, CATEGORY_INDUSTRY, industry, industryName);
    SetIndustrySector(site, industry, sector - 1);
  }
}

void ImportSymbol(CSRecordset& rs, const InfoSite* site, int n, CImportView& view) {
  const std::string ticker = ReadText(rs, "Ticker");
  const int32_t industry = ReadNumber(rs, "SSCode");
  ReadNumber(rs, "ListedShares");
  const int32_t market = ReadNumber(rs, "MarketID");
  StockInfo* record = AddStock(site, ticker);
  if (record == nullptr) return;
  const std::string fullName = ReadText(rs, "CodeName");
  const std::string codeType = ReadText(rs, "CodeType");
  ReadNumber(rs, "SectoralIndices");
  const int32_t group = ReadNumber(rs, "GroupID");

  SetStockMarket(*record, market);
  SetStockFullName(*record, fullName);
  if (IsIndexType(codeType)) {
    MarkStockAsIndex(*record);
  } else {
    record->IndustryID = industry;
  }
  SetStockGroup(*record, group);
  view.ShowImportStatus(FormatText("Retrieving symbol %d. - %s", n, ticker.c_str()));
}

}  // namespace

void RetrieveCategories(CGlobal& g, const InfoSite* site) {
  if (!IsOpen(g)) {
    platform::ShowMessageBox("You need to specify database.", kPlainBox);
    return;
  }
  try {
    ImportGroups(g, site);
    ResetSectorsAndIndustries(site);
    for (int market = 0; market < 4; ++market)
      SetCategoryName(site, CATEGORY_MARKET, market, kMarketNames[market]);
    if (!IsOpen(g)) {
      platform::ShowMessageBox("You need to specify database.", kPlainBox);
      return;
    }
    ImportSectors(g, site);
  } catch (const CDBException& e) {
    ShowException(e);
  }
}

void RetrieveAllSymbols(CGlobal& g, const InfoSite* site, CImportView& view) {
  view.DisableImportButton();
  RetrieveCategories(g, site);
  if (!IsOpen(g)) {
    platform::ShowMessageBox("You need to specify database, table and symbol field first",
                             kPlainBox);
  } else {
    try {
      // The cursor comes back before a message box is shown.
      platform::WaitCursor wait;
      CSRecordset rs(g.m_pDatabase);
      if (rs.Open(CSRecordset::forwardOnly, DirectorySymbolsStatement(g), 0)) {
        for (int n = 0; !rs.IsEOF(); rs.MoveNext(), ++n) ImportSymbol(rs, site, n, view);
      }
    } catch (const CDBException& e) {
      ShowException(e);
    }
  }
  view.ShowImportStatus("Retrieving all symbol done.");
}
