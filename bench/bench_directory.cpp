// The directory import benchmark: a directory of 1,000 securities imported
// through the plug-in as the host does it (Configure, "Retrieve all
// symbols" in the dialog, the host's call-backs and the status line), against
// a bare ODBC read of the same three tables on a connection of its own, each
// value read once in the type the plug-in reads it. Prints the ratio of the
// best runs; the demo directory is put back afterwards.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/database.h"
#include "host/config_dialog.h"
#include "host/host_session.h"
#include "platform/odbc.h"
#include "plugin/global.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kTables[] = {"nvcategory_group", "NVSectors", "nvquotes_235"};

std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

std::string Connect(const std::string& user, const std::string& password) {
  return "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=db_amiplugin;SERVER=" +
         Env("VELMORA_DB_HOST", "127.0.0.1") + ";PORT=" + Env("VELMORA_DB_PORT", "") +
         ";UID=" + user + ";PWD=" + password;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// 1,000 securities (every tenth an index) over 8 groups and 40 industries
// in 10 sectors.
void LoadBenchDirectory(CDatabase& admin) {
  for (const char* table : kTables) {
    admin.ExecuteSQL(std::string("Create Or Replace Table bench_saved_") + table +
                     " As Select * From " + table);
    admin.ExecuteSQL(std::string("Delete From ") + table);
  }
  std::string groups, sectors, symbols;
  for (int g = 1; g <= 8; ++g)
    groups += (g > 1 ? "," : "") + ("(" + std::to_string(g) + ",'G" + std::to_string(g) +
                                    "','Bench Board " + std::to_string(g) + "')");
  for (int s = 1; s <= 10; ++s)
    for (int i = 1; i <= 4; ++i)
      sectors += (sectors.empty() ? "" : ",") +
                 ("(" + std::to_string(s * 10 + i) + ",'Bench Sector " + std::to_string(s) +
                  "','Bench Industry " + std::to_string(s * 10 + i) + "')");
  for (int n = 0; n < 1000; ++n) {
    char row[200];
    std::snprintf(row, sizeof row, "%s('BN%04d',%d,%d,%d,'Bench Company %04d Tbk','%s',%d,%d)",
                  n > 0 ? "," : "", n, 10 + (n % 10) * 10 + 1 + n % 4, 1000000 + n, 1 + n % 3, n,
                  n % 10 == 0 ? "Indices" : "Saham", n % 10, 1 + n % 8);
    symbols += row;
  }
  admin.ExecuteSQL("Insert Into nvcategory_group (GroupID,GroupCode,GroupName) Values " + groups);
  admin.ExecuteSQL("Insert Into NVSectors (SSCode,SectorName,SSName) Values " + sectors);
  admin.ExecuteSQL(
      "Insert Into nvquotes_235 (Ticker,SSCode,ListedShares,MarketID,CodeName,CodeType,"
      "SectoralIndices,GroupID) Values " + symbols);
}

void RestoreDirectory(CDatabase& admin) {
  for (const char* table : kTables) {
    admin.ExecuteSQL(std::string("Delete From ") + table);
    admin.ExecuteSQL(std::string("Insert Into ") + table + " Select * From bench_saved_" + table);
    admin.ExecuteSQL(std::string("Drop Table bench_saved_") + table);
  }
}

// One table read whole: every value with one SQLGetData, as a float or as
// text like the plug-in reads it.
long ReadTable(CDatabase& db, const char* sql, const std::vector<bool>& isText) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(db.m_hdbc), &stmt);
  SQLCHAR* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql));
  long rows = 0;
  if (SQL_SUCCEEDED(SQLPrepare(stmt, text, SQL_NTS)) && SQL_SUCCEEDED(SQLExecute(stmt))) {
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
      for (size_t c = 0; c < isText.size(); ++c) {
        SQLLEN indicator = 0;
        if (isText[c]) {
          char value[512];
          SQLGetData(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, value, sizeof value,
                     &indicator);
        } else {
          float value = 0;
          SQLGetData(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_FLOAT, &value, sizeof value,
                     &indicator);
        }
      }
      ++rows;
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return rows;
}

long BareRead(CDatabase& db) {
  // Column order as the tables have them.
  return ReadTable(db, "Select * From nvcategory_group", {false, true, true}) +
         ReadTable(db, "Select * From NVSectors", {false, true, true}) +
         ReadTable(db, "Select * From nvquotes_235 ",
                   {true, false, false, false, true, true, false, false});
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;
  CDatabase admin;
  admin.OpenEx(Connect(Env("VELMORA_DB_ADMIN_USER", "velmora_admin"),
                       Env("VELMORA_DB_ADMIN_PASSWORD", "velmora-admin")),
               CDatabase::noOdbcDialog);
  LoadBenchDirectory(admin);

  // The host: its own settings, connecting when the database loads.
  const std::string registry = std::filesystem::temp_directory_path().string() +
                               "/velmora-bench-directory-registry";
  std::filesystem::create_directories(registry + "/HKEY_CURRENT_USER/Software/ZUZ/Velmora");
  std::ofstream(registry + "/HKEY_CURRENT_USER/Software/ZUZ/Velmora/Velmora.reg")
      << "\"ServerAddress\"=\"" << Env("VELMORA_DB_HOST", "127.0.0.1") << "\"\n"
      << "\"ServerPort\"=\"" << Env("VELMORA_DB_PORT", "") << "\"\n"
      << "\"AutoConnect\"=dword:00000001\n";
  setenv("VELMORA_REGISTRY_DIR", registry.c_str(), 1);

  int code = 0;
  {
    HostSession session;
    std::string error;
    if (!session.Start(DefaultPluginPath(), &error)) {
      std::fprintf(stderr, "bench: %s\n", error.c_str());
      code = 1;
    } else {
      session.LoadDatabase();
      // The plug-in's own connection text, so that both reads go the same
      // way through the driver.
      CGlobal plugin;
      plugin.m_strServerAddress = Env("VELMORA_DB_HOST", "127.0.0.1");
      plugin.m_strServerPort = Env("VELMORA_DB_PORT", "");
      BuildConnectString(plugin);
      CDatabase bare;
      bare.OpenEx(plugin.m_strConnect, CDatabase::noOdbcDialog);
      std::vector<double> imported, read;
      size_t symbols = 0;
      long rows = 0;
      std::string status;
      for (int i = 0; i < repetitions; ++i) {
        auto start = Clock::now();
        RunConfigure(session,
                     {DialogStep{DialogStep::kClick, IDC_RETRIEVE_ALL, 0},
                      DialogStep{DialogStep::kClick, kCancelButton, 0}},
                     [&](const std::string& text) { status = text; });
        imported.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        symbols = session.directory.Symbols().size();
        start = Clock::now();
        rows = BareRead(bare);
        read.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      }
      session.Stop();
      if (symbols != 1000 || rows != 1000 + 8 + 40 || status != "Retrieving all symbol done.") {
        std::fprintf(stderr, "bench: imported %zu symbols, read %ld rows, status '%s'\n", symbols,
                     rows, status.c_str());
        code = 1;
      }
      // On a shared machine the fastest run of each is the least disturbed;
      // the medians are shown beside it.
      const double a = *std::min_element(imported.begin(), imported.end());
      const double b = *std::min_element(read.begin(), read.end());
      std::printf(
          "directory import, 1,000 securities (best of %d): plug-in %.1f ms, bare ODBC %.1f ms, "
          "ratio %.2f (target <= 1.5; medians %.1f and %.1f ms)\n",
          repetitions, a * 1e3, b * 1e3, a / b, Median(imported) * 1e3, Median(read) * 1e3);
    }
  }
  RestoreDirectory(admin);
  std::filesystem::remove_all(registry);
  return code;
}
