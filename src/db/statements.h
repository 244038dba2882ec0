// The texts of the statements the plug-in sends, built in one place.
//
// Each is a fixed format whose keywords come from the global state's keyword
// buffers, so that every statement is formatted the same way.
#ifndef VELMORA_DB_STATEMENTS_H_
#define VELMORA_DB_STATEMENTS_H_

#include <string>

class CGlobal;

// The symbol directory: each reads one whole table, every column.
std::string DirectoryGroupsStatement(const CGlobal& g);   // nvcategory_group
std::string DirectorySectorsStatement(const CGlobal& g);  // NVSectors
std::string DirectorySymbolsStatement(const CGlobal& g);  // nvquotes_235

#endif  // VELMORA_DB_STATEMENTS_H_
