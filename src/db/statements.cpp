#include "db/statements.h"

#include "db/format.h"
#include "plugin/global.h"

std::string DirectoryGroupsStatement(const CGlobal& g) {
  return FormatText("%s * %s nvcategory_group", g.m_szSelect, g.m_szFrom);
}

std::string DirectorySectorsStatement(const CGlobal& g) {
  return FormatText("%s * %s NVSectors", g.m_szSelect, g.m_szFrom);
}

std::string DirectorySymbolsStatement(const CGlobal& g) {
  // The trailing space belongs to the statement as the server receives it.
  return FormatText("%s * %s nvquotes_235 ", g.m_szSelect, g.m_szFrom);
}
