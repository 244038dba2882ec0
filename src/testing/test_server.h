// The private data server as the tests reach it: the address that
// scripts/dbserver env exports, and an admin connection to set up rows.
// Works natively and under Wine alike (both go through ODBC).
#ifndef VELMORA_TESTING_TEST_SERVER_H_
#define VELMORA_TESTING_TEST_SERVER_H_

#include <memory>
#include <string>
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

// The procedure calls the server received for a client id, oldest first,
// each as Name('arg',...).
std::vector<std::string> CallsFor(const std::string& clientId);

}  // namespace testing_server

#endif  // VELMORA_TESTING_TEST_SERVER_H_
