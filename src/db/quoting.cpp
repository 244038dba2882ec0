#include "db/quoting.h"

#include "plugin/global.h"

void SetQuoteChars(CGlobal& g) {
  switch (g.m_nDialect) {
    case 0:
      g.m_strQuoteOpen.clear();
      g.m_strQuoteClose.clear();
      break;
    case 1:
      g.m_strQuoteOpen = "`";
      g.m_strQuoteClose = "`";
      break;
    case 2:
    case 3:
      g.m_strQuoteOpen = "[";
      g.m_strQuoteClose = "]";
      break;
    default:
      break;
  }
}

std::string QuoteName(const CGlobal& g, std::string_view text) {
  std::string out;
  out.reserve(g.m_strQuoteOpen.size() + text.size() + g.m_strQuoteClose.size());
  out += g.m_strQuoteOpen;
  out += text;
  out += g.m_strQuoteClose;
  return out;
}
