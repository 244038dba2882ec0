#include "directory/stock_record.h"

#include <cstring>

namespace {
// Bits 0 and 2..15 of the word at 296: where the market number goes.
constexpr uint32_t kMarketBits = 0x0000FFFDu;
}  // namespace

void SetStockMarket(StockInfo& record, int32_t market) {
  const uint32_t number = static_cast<uint32_t>(market);
  const uint32_t bits = (number & 1u) | ((number & 0x7FFEu) << 1);
  record.MarketGroupFlags = (record.MarketGroupFlags & ~kMarketBits) | bits;
}

void SetStockGroup(StockInfo& record, int32_t group) {
  record.MarketGroupFlags =
      (record.MarketGroupFlags & 0x0000FFFFu) | ((static_cast<uint32_t>(group) & 0xFFFFu) << 16);
}

void MarkStockAsIndex(StockInfo& record) { record.Flags |= 1u; }

void SetStockFullName(StockInfo& record, std::string_view name) {
  CopyCut(record.FullName, sizeof record.FullName, name);
}

void CopyCut(char* buffer, size_t size, std::string_view text) {
  if (size == 0) return;
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}
