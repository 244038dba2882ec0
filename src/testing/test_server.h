// The private data server as the tests reach it: the address that
// scripts/dbserver env exports, and an admin connection to set up rows.
// Works natively and under Wine alike (both go through ODBC).
#ifndef VELMORA_TESTING_TEST_SERVER_H_
#define VELMORA_TESTING_TEST_SERVER_H_

#include <memory>
#include <string>

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

}  // namespace testing_server

#endif  // VELMORA_TESTING_TEST_SERVER_H_
