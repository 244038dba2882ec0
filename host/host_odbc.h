// The host's own connection to the data server, straight over the ODBC C
// API: connect with a connection string, run one statement, read every
// column as text. Small results only: a statement's rows are read whole.
#ifndef VELMORA_HOST_HOST_ODBC_H_
#define VELMORA_HOST_HOST_ODBC_H_

#include <optional>
#include <string>
#include <vector>

// Thrown on every failure: the driver's diagnostic text, one record a line,
// or "no diagnostic (code N)" with the ODBC return code.
struct HostOdbcError {
  std::string text;
};

// One row: each column's text, nullopt for NULL.
using HostRow = std::vector<std::optional<std::string>>;

class HostOdbc {
 public:
  HostOdbc() = default;
  ~HostOdbc();  // disconnects
  HostOdbc(const HostOdbc&) = delete;
  HostOdbc& operator=(const HostOdbc&) = delete;

  // Connects (once) without ever letting the driver prompt, bounded by the same
  // driver time-outs as the plug-in's connection.
  void Connect(const std::string& connect);
  // Runs the statement and returns its rows; a statement without a result
  // gives none.
  std::vector<HostRow> Query(const std::string& sql);

 private:
  void* m_env = nullptr;
  void* m_dbc = nullptr;
};

#endif  // VELMORA_HOST_HOST_ODBC_H_
