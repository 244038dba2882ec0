// Writing one security's directory fields into the host's StockInfo record.
//
// The host owns the record and keeps bits of its own in the words the
// directory shares with it, so every write touches only its own bits.
#ifndef VELMORA_DIRECTORY_STOCK_RECORD_H_
#define VELMORA_DIRECTORY_STOCK_RECORD_H_

#include <cstdint>
#include <string_view>

#include "abi/host_records.h"

// The market number into the word at 296: its bit 0 into bit 0, its bits 1
// to 14 into bits 2 to 15. Bit 1 and the upper half stay as they were.
void SetStockMarket(StockInfo& record, int32_t market);

// The group number, low 16 bits, into the upper half of the word at 296.
void SetStockGroup(StockInfo& record, int32_t group);

// Sets bit 0 of the word at 344; its other bits stay.
void MarkStockAsIndex(StockInfo& record);

// The full name, cut to the field so that its terminating NUL still fits.
void SetStockFullName(StockInfo& record, std::string_view name);

// Copies `text` into `buffer` of `size` bytes, cut so that the terminating
// NUL fits; what a host field or the import's own copy may hold.
void CopyCut(char* buffer, size_t size, std::string_view text);

#endif  // VELMORA_DIRECTORY_STOCK_RECORD_H_
