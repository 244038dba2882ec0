// Identifier quoting by SQL dialect.
#ifndef VELMORA_DB_QUOTING_H_
#define VELMORA_DB_QUOTING_H_

#include <string>
#include <string_view>

class CGlobal;

// Sets m_strQuoteOpen and m_strQuoteClose from m_nDialect; an unknown
// dialect leaves them as they are.
void SetQuoteChars(CGlobal& g);

// m_strQuoteOpen + text + m_strQuoteClose.
std::string QuoteName(const CGlobal& g, std::string_view text);

#endif  // VELMORA_DB_QUOTING_H_
