// One client connection driven without blocking: the MariaDB client library
// runs each call as a coroutine that hands back, instead of blocking, the
// events it waits for on the socket (MYSQL_WAIT_READ, _WRITE, _TIMEOUT).
// The caller waits for them (epoll) and resumes the call.
//
// Each exchange is the one MariaDB Connector/ODBC makes for the plug-in:
// at connect, after the handshake, the driver's four session settings; for
// a statement, a server-side prepare, the execute, every result read whole
// (a procedure call brings a status after its own), and the close.
#ifndef VELMORA_BENCH_LOADGEN_ASYNC_CONN_H_
#define VELMORA_BENCH_LOADGEN_ASYNC_CONN_H_

#include <mysql.h>

#include <string>
#include <vector>

namespace loadgen {

struct Endpoint {
  std::string host;
  unsigned port = 0;
  std::string user;
  std::string password;
  std::string database;
};

class AsyncConn {
 public:
  AsyncConn() = default;
  ~AsyncConn();
  AsyncConn(const AsyncConn&) = delete;
  AsyncConn& operator=(const AsyncConn&) = delete;

  // Each returns the events still awaited (0: the call has finished).
  // `source`: the local address to connect from ("" for any).
  int BeginConnect(const Endpoint& server, const std::string& source);
  // `want_row`: keep the first row of the first result (FirstRow).
  int BeginStatement(const std::string& text, bool want_row);
  int Resume(int ready);

  // After a call has finished.
  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  bool Lost() const;  // the connection itself has gone
  // The first row of the statement's first result, as text ("" for NULL).
  const std::vector<std::string>& FirstRow() const { return first_row_; }

  int Socket() const;
  unsigned TimeoutMs() const;
  bool Open() const { return mysql_ != nullptr && connected_; }
  void Close();

 private:
  enum class Step { kIdle, kConnect, kSetting, kPrepare, kExecute, kStore, kNext, kClose };
  int Drive(int status);
  int Continue(int ready);
  int AfterStore();
  void ReadFirstRow();
  int CloseStatement();
  int Fail(const char* error, unsigned code);

  MYSQL* mysql_ = nullptr;
  MYSQL_STMT* stmt_ = nullptr;
  bool connected_ = false;
  Step step_ = Step::kIdle;
  size_t setting_ = 0;
  MYSQL* connect_ret_ = nullptr;
  int int_ret_ = 0;
  my_bool bool_ret_ = 0;
  bool failed_ = false;
  bool want_row_ = false;
  unsigned errno_ = 0;
  std::string error_;
  std::vector<std::string> first_row_;
};

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_ASYNC_CONN_H_
