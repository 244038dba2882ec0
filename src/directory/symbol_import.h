// Importing the exchange's directory into the host: group, market, sector
// and industry names, then one host symbol per listed security.
//
// Everything is read from three server tables over the open connection and
// pushed into the host through its InfoSite call-backs, synchronously on the
// host's user-interface thread. Database errors end in a message box, never
// in the host.
#ifndef VELMORA_DIRECTORY_SYMBOL_IMPORT_H_
#define VELMORA_DIRECTORY_SYMBOL_IMPORT_H_

#include <string>

#include "abi/host_records.h"

class CGlobal;

// Category kinds as the host numbers them.
enum : int { CATEGORY_MARKET = 0, CATEGORY_GROUP = 1, CATEGORY_SECTOR = 2, CATEGORY_INDUSTRY = 3 };

// Bounds of the import's own copies of the names it hands the host.
constexpr size_t kCategoryNameSize = 64;

// What the import touches of the dialog that runs it.
class CImportView {
 public:
  virtual ~CImportView() = default;
  // The "Retrieve all symbols" button stays disabled from the first run on.
  virtual void DisableImportButton() = 0;
  // Sets the status line and repaints it at once: the dialog processes no
  // messages while the import runs.
  virtual void ShowImportStatus(const std::string& text) = 0;
};

// The names of the four category kinds. Any step may end it: without a
// connection, or on a database error (which also skips the steps after).
void RetrieveCategories(CGlobal& g, const InfoSite* site);

// The button's handler: the categories, then every security.
void RetrieveAllSymbols(CGlobal& g, const InfoSite* site, CImportView& view);

#endif  // VELMORA_DIRECTORY_SYMBOL_IMPORT_H_
