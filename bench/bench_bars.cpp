// The bar request against three ways of reading the same rows without the
// plug-in: a bare ODBC loop with one SQLGetData per value, a bare ODBC loop
// over columns bound to a block of rows, and the MariaDB C API; none of them
// builds bars, each converts every value to the type a bar needs. Prints
// ratios from one run; scripts/bench loads the rows and runs it.
#include <mysql.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "abi/bar_time.h"
#include "bars/bar_request.h"
#include "bench_util.h"
#include "db/connection.h"
#include "db/database.h"
#include "db/statements.h"
#include "db/timestamp_text.h"
#include "lifecycle/conn_state.h"
#include "platform/odbc.h"
#include "plugin/global.h"

namespace {

using bench::Clock;
using bench::Env;
using bench::Median;
using bench::Seconds;

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::strlen(field) + 1, nullptr, 10);
  return -1;
}

// Resets the peak to the current resident size, so that VmHWM afterwards
// is the peak of what ran in between.
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

// The plug-in's statement on the plug-in's connection, read with one
// SQLGetData per value and the driver's own conversion of the date-time
// text. Like the plug-in's recordsets it sets no statement attribute, so
// both take the same path through the driver.
long BareOdbc(CDatabase& db, const std::string& sql) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(db.m_hdbc), &stmt);
  SQLCHAR* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
  if (!SQL_SUCCEEDED(SQLPrepare(stmt, text, SQL_NTS)) || !SQL_SUCCEEDED(SQLExecute(stmt))) {
    std::fprintf(stderr, "bench: bare ODBC statement failed\n");
    std::exit(1);
  }
  long rows = 0;
  float sum = 0;
  while (SQL_SUCCEEDED(SQLFetch(stmt))) {
    SQL_TIMESTAMP_STRUCT ts{};
    SQLLEN indicator = 0;
    SQLGetData(stmt, 1, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator);
    for (SQLUSMALLINT c = 2; c <= 10; ++c) {
      float f = 0;
      SQLGetData(stmt, c, SQL_C_FLOAT, &f, sizeof f, &indicator);
      sum += f;
    }
    ++rows;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  if (sum == -1.0f) std::puts("");  // keeps the reads
  return rows;
}

// The date-time text of a row as the bar's packed stamp.
uint64_t Stamp(const char* text, size_t length) {
  DBTimestamp t{};
  if (text == nullptr || ParseTimestampText(text, length, t) != TimestampText::kValue) return 0;
  return PackBarTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// The same statement text through ODBC with the ten columns bound once to a
// row-wise block of 1,024 rows, bound as the plug-in binds them: the
// date-time as text (converted here, as the plug-in does), numbers as floats.
long BlockOdbc(CDatabase& db, const std::string& sql) {
  struct Row {
    SQLLEN dateLength;
    char date[96];
    struct {
      SQLLEN length;
      float value;
    } number[9];
  };
  static Row block[1024];
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(db.m_hdbc), &stmt);
  SQLCHAR* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
  if (!SQL_SUCCEEDED(SQLPrepare(stmt, text, SQL_NTS)) || !SQL_SUCCEEDED(SQLExecute(stmt))) {
    std::fprintf(stderr, "bench: block ODBC statement failed\n");
    std::exit(1);
  }
  SQLULEN fetched = 0;
  SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(Row)), 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1024), 0);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
  SQLBindCol(stmt, 1, SQL_C_CHAR, block[0].date, sizeof block[0].date, &block[0].dateLength);
  for (SQLUSMALLINT c = 0; c < 9; ++c)
    SQLBindCol(stmt, c + 2, SQL_C_FLOAT, &block[0].number[c].value, sizeof(float),
               &block[0].number[c].length);
  long rows = 0;
  float sum = 0;
  uint64_t stamps = 0;
  while (SQL_SUCCEEDED(SQLFetch(stmt)) && fetched > 0) {
    for (SQLULEN r = 0; r < fetched; ++r) {
      const Row& row = block[r];
      if (row.dateLength != SQL_NULL_DATA)
        stamps += Stamp(row.date, static_cast<size_t>(row.dateLength));
      for (const auto& n : row.number)
        if (n.length != SQL_NULL_DATA) sum += n.value;
    }
    rows += static_cast<long>(fetched);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  if (sum == -1.0f || stamps == 1) std::puts("");  // keeps the reads
  return rows;
}

// The MariaDB C API over the same statement text: text protocol, rows
// streamed (mysql_use_result), the date-time text read into the bar's stamp
// and every number parsed to a float.
long MariaDbApi(MYSQL* mysql, const std::string& sql) {
  if (mysql_real_query(mysql, sql.c_str(), sql.size()) != 0) {
    std::fprintf(stderr, "bench: %s\n", mysql_error(mysql));
    std::exit(1);
  }
  MYSQL_RES* result = mysql_use_result(mysql);
  long rows = 0;
  float sum = 0;
  uint64_t stamps = 0;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const unsigned long* lengths = mysql_fetch_lengths(result);
    stamps += Stamp(row[0], lengths[0]);
    for (int c = 1; c < 10; ++c) sum += row[c] != nullptr ? std::strtof(row[c], nullptr) : 0.0f;
    ++rows;
  }
  mysql_free_result(result);
  if (sum == -1.0f || stamps == 1) std::puts("");
  return rows;
}

struct Case {
  const char* label;
  const char* ticker;
  int periodicity;
  int rows;
};

// Peak resident growth of one reader, measured in a fresh process (its own
// connection, nothing read before) so that no memory freed by an earlier
// request hides the growth. Returns KiB, or -1.
long PeakGrowth(bool plugin) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    close(pipefd[0]);
    CGlobal g;
    g.m_strServerAddress = Env("VELMORA_DB_HOST", "127.0.0.1");
    g.m_strServerPort = Env("VELMORA_DB_PORT", "3306");
    BuildConnectString(g);
    OpenDatabase(g);
    BuildIntradayColumnList(g);
    g.m_strBackfillIntraday = "1990-01-01";
    g.m_nBackfillIntraday = 19900101;
    g_nConnState = CONN_CONNECTED;
    std::vector<Quotation> host(100000);
    std::memset(host.data(), 0, host.size() * sizeof(Quotation));
    const std::string sql = BuildBarQuery(g, "BENCH_I", 60, "1990-01-01", g.m_strStartTime);
    ResetPeak();
    long before = StatusKb("VmRSS:");
    long rows = plugin ? GetQuotesEx(g, "BENCH_I", 60, -1, 100000, host.data())
                       : BlockOdbc(*g.m_pDatabase, sql);
    long growth = rows == 100000 ? StatusKb("VmHWM:") - before : -1;
    if (write(pipefd[1], &growth, sizeof growth) != sizeof growth) _exit(1);
    _exit(0);
  }
  close(pipefd[1]);
  long growth = -1;
  if (read(pipefd[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(pipefd[0]);
  waitpid(child, nullptr, 0);
  return growth;
}

}  // namespace

int main(int argc, char** argv) {
  // "profile N [daily] [block]": only the 100,000-row one-minute request
  // (or the 5,000-row daily one; or the bare loop over a bound block in its
  // place), N times, for a profiler to sample (scripts/bench --profile).
  const bool profile = argc > 2 && std::strcmp(argv[1], "profile") == 0;
  const int repetitions = profile ? std::atoi(argv[2]) : argc > 1 ? std::atoi(argv[1]) : 7;
  if (profile) {
    CGlobal g;
    g.m_strServerAddress = Env("VELMORA_DB_HOST", "127.0.0.1");
    g.m_strServerPort = Env("VELMORA_DB_PORT", "3306");
    BuildConnectString(g);
    OpenDatabase(g);
    if (g.m_pDatabase == nullptr) return 1;
    BuildEodColumnList(g);
    BuildIntradayColumnList(g);
    g.m_strBackfillEod = g.m_strBackfillIntraday = "1990-01-01";
    g.m_nBackfillEod = g.m_nBackfillIntraday = 19900101;
    g_nConnState = CONN_CONNECTED;
    bool daily = false, block = false;
    for (int i = 3; i < argc; ++i) {
      daily = daily || std::strcmp(argv[i], "daily") == 0;
      block = block || std::strcmp(argv[i], "block") == 0;
    }
    const int rows = daily ? 5000 : 100000;
    const char* ticker = daily ? "BENCH_D" : "BENCH_I";
    const int periodicity = daily ? 86400 : 60;
    const std::string sql = BuildBarQuery(g, ticker, periodicity, "1990-01-01", g.m_strStartTime);
    std::vector<Quotation> host(static_cast<size_t>(rows));
    for (int r = 0; r < repetitions; ++r) {
      const long got = block ? BlockOdbc(*g.m_pDatabase, sql)
                             : GetQuotesEx(g, ticker, periodicity, -1, rows, host.data());
      if (got != rows) return 1;
    }
    return 0;
  }
  // Memory first, in fresh processes: the host's array is resident before
  // the call and not counted; the growth of the bare loop over a bound
  // block (its block of 250 KiB included) is the driver's share. The
  // per-value loop would add the 32 bytes that the driver keeps for each
  // date-time it converts.
  const long driver = PeakGrowth(false);
  const long request = PeakGrowth(true);
  const double barsKb = 100000.0 * sizeof(Quotation) / 1024.0;

  CGlobal g;
  g.m_strServerAddress = Env("VELMORA_DB_HOST", "127.0.0.1");
  g.m_strServerPort = Env("VELMORA_DB_PORT", "3306");
  BuildConnectString(g);
  OpenDatabase(g);
  if (g.m_pDatabase == nullptr) {
    std::fprintf(stderr, "bench: cannot connect (source scripts/dbserver env)\n");
    return 1;
  }
  BuildEodColumnList(g);
  BuildIntradayColumnList(g);
  g.m_strBackfillEod = "1990-01-01";
  g.m_nBackfillEod = 19900101;
  g.m_strBackfillIntraday = "1990-01-01";
  g.m_nBackfillIntraday = 19900101;
  g_nConnState = CONN_CONNECTED;

  MYSQL* mysql = mysql_init(nullptr);
  if (mysql_real_connect(mysql, g.m_strServerAddress.c_str(), Env("VELMORA_DB_PLUGIN_USER", "velmora_plugin").c_str(),
                         Env("VELMORA_DB_PLUGIN_PASSWORD", "Vm7plugin2026").c_str(), "db_amiplugin",
                         static_cast<unsigned>(std::atoi(g.m_strServerPort.c_str())), nullptr, 0) == nullptr) {
    std::fprintf(stderr, "bench: MariaDB C API: %s\n", mysql_error(mysql));
    return 1;
  }

  const Case cases[] = {{"daily, AdjClose = Close", "BENCH_D", 86400, 5000},
                        {"daily, AdjClose = 0", "BENCH_D0", 86400, 5000},
                        {"1-minute, AdjClose = Close", "BENCH_I", 60, 100000},
                        {"1-minute, AdjClose = 0", "BENCH_I0", 60, 100000}};
  bool ok = true;
  std::printf("velmora bench: medians of %d repetitions (x5 for daily); ratios from this run\n",
              repetitions);
  // Both data sets of a periodicity and all four readers are measured
  // turn about, in rotating order, so that load from elsewhere on the
  // machine falls on all of them alike.
  constexpr int kReaders = 4;  // the request, per-value ODBC, block ODBC, C API
  for (int k : {0, 2}) {
    const int reps = cases[k].rows < 50000 ? repetitions * 5 : repetitions;
    std::vector<double> times[2 * kReaders];
    long counts[2 * kReaders] = {};
    std::vector<Quotation> host(static_cast<size_t>(cases[k].rows));
    std::memset(host.data(), 0, host.size() * sizeof(Quotation));
    std::string sql[2];
    for (int j = 0; j < 2; ++j)
      sql[j] = BuildBarQuery(g, cases[k + j].ticker, cases[k].periodicity, "1990-01-01",
                             g.m_strStartTime);
    for (int r = 0; r < reps; ++r) {
      for (int turn = 0; turn < 2 * kReaders; ++turn) {
        const int m = (r + turn) % (2 * kReaders), j = m / kReaders;
        const Case& c = cases[k + j];
        times[m].push_back(Seconds([&] {
          switch (m % kReaders) {
            case 0: counts[m] = GetQuotesEx(g, c.ticker, c.periodicity, -1, c.rows, host.data()); break;
            case 1: counts[m] = BareOdbc(*g.m_pDatabase, sql[j]); break;
            case 2: counts[m] = BlockOdbc(*g.m_pDatabase, sql[j]); break;
            default: counts[m] = MariaDbApi(mysql, sql[j]); break;
          }
        }));
      }
    }
    double median[2 * kReaders], low[2 * kReaders], high[2 * kReaders];
    for (int m = 0; m < 2 * kReaders; ++m) {
      median[m] = Median(times[m]);
      low[m] = *std::min_element(times[m].begin(), times[m].end());
      high[m] = *std::max_element(times[m].begin(), times[m].end());
      if (counts[m] != cases[k].rows) {
        std::printf("  %s: expected %d rows, got %ld\n", cases[k + m / kReaders].label,
                    cases[k].rows, counts[m]);
        ok = false;
      }
    }
    for (int j = 0; j < 2; ++j) {
      const double* t = median + kReaders * j;
      const double perValue = t[0] / t[1], api = t[0] / t[3];
      // The targets hold for the rows a chart normally gets (AdjClose =
      // Close); the other data set shows what the adjustment costs.
      const bool target = j == 0;
      std::printf("  %-28s %6d bars: GetQuotesEx / per-value ODBC loop = %.3f%s%s; "
                  "/ MariaDB C API = %.3f%s%s; / block ODBC loop = %.3f\n",
                  cases[k + j].label, cases[k].rows, perValue, target ? " (target <= 1.10)" : "",
                  target && perValue > 1.10 ? "  MISSED" : "", api,
                  target ? " (target <= 1.25)" : "", target && api > 1.25 ? "  MISSED" : "",
                  t[0] / t[2]);
      std::printf("  %-28s   medians (min..max) ms: request %.1f (%.1f..%.1f), per-value ODBC "
                  "%.1f (%.1f..%.1f), block ODBC %.1f (%.1f..%.1f), C API %.1f (%.1f..%.1f)\n",
                  "", t[0] * 1e3, low[kReaders * j] * 1e3, high[kReaders * j] * 1e3, t[1] * 1e3,
                  low[kReaders * j + 1] * 1e3, high[kReaders * j + 1] * 1e3, t[2] * 1e3,
                  low[kReaders * j + 2] * 1e3, high[kReaders * j + 2] * 1e3, t[3] * 1e3,
                  low[kReaders * j + 3] * 1e3, high[kReaders * j + 3] * 1e3);
      if (target) ok = ok && perValue <= 1.10 && api <= 1.25;
    }
    const double ratio = median[0] / median[kReaders];
    std::printf("  %-28s AdjClose = Close / AdjClose = 0 = %.3f (target <= 1.10)%s\n",
                cases[k].periodicity == 60 ? "1-minute" : "daily", ratio,
                ratio <= 1.10 ? "" : "  MISSED");
    ok = ok && ratio <= 1.10;
  }

  std::printf("  peak resident growth, 100,000-bar request: %ld KiB = %.2f x the %.0f KiB of bars "
              "(target <= 4)%s; a bare ODBC loop over a bound block of the same rows (the driver's "
              "share): %ld KiB\n",
              request, request / barsKb, barsKb, request >= 0 && request / barsKb <= 4.0 ? "" : "  MISSED",
              driver);
  ok = ok && request >= 0 && request / barsKb <= 4.0;
  mysql_close(mysql);
  std::printf("velmora bench: %s\n", ok ? "all targets met" : "targets missed");
  return ok ? 0 : 1;
}
