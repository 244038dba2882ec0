// The private data server as the tests reach it: the address that
// scripts/dbserver env exports, and an admin connection to set up rows.
// Works natively and under Wine alike (both go through ODBC).
#ifndef VELMORA_TESTING_TEST_SERVER_H_
#define VELMORA_TESTING_TEST_SERVER_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CDatabase;
class CGlobal;

namespace testing_server {

// True when scripts/dbserver env has been sourced.
bool Configured();

// Points the global state at the private server and builds its connection
// string.
void PointAt(CGlobal& g);

// An open connection with the admin account; throws CDBException.
std::unique_ptr<CDatabase> Admin();

// Runs one statement as admin.
void AdminExec(const std::string& sql);

// Points the global state at the private server and opens its database;
// false when no connection came of it.
bool Open(CGlobal& g);

// Tables copied aside as admin now and put back as they were when the scope
// ends.
class SavedTables {
 public:
  explicit SavedTables(std::vector<std::string> tables);
  ~SavedTables();

 private:
  std::vector<std::string> m_tables;
};

// A change made as admin now and undone as admin when the scope ends.
class ScopedChange {
 public:
  ScopedChange(const std::string& change, std::string undo) : m_undo(std::move(undo)) {
    AdminExec(change);
  }
  ~ScopedChange() { AdminExec(m_undo); }

 private:
  std::string m_undo;
};

}  // namespace testing_server

#endif  // VELMORA_TESTING_TEST_SERVER_H_
