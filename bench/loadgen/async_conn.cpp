#include "async_conn.h"

#include <errmsg.h>

namespace loadgen {

namespace {

// What Connector/ODBC 3.1 sends on every new connection before the
// application's first statement.
const char* const kDriverSettings[] = {
    "SET SESSION SQL_AUTO_IS_NULL=0",
    "SET autocommit=1",
    "SET session_track_schema= ON",
    "SET session_track_system_variables='autocommit,tx_isolation'",
};

}  // namespace

AsyncConn::~AsyncConn() { Close(); }

void AsyncConn::Close() {
  // The goodbye is written to a socket whose buffer is empty: it does not
  // wait, and nothing waits for an answer.
  if (stmt_ != nullptr) mysql_stmt_close(stmt_);
  stmt_ = nullptr;
  if (mysql_ != nullptr) mysql_close(mysql_);
  mysql_ = nullptr;
  connected_ = false;
  step_ = Step::kIdle;
}

int AsyncConn::BeginConnect(const Endpoint& server, const std::string& source) {
  Close();
  failed_ = false;
  mysql_ = mysql_init(nullptr);
  if (mysql_ == nullptr) return Fail("out of memory", CR_OUT_OF_MEMORY);
  mysql_options(mysql_, MYSQL_OPT_NONBLOCK, nullptr);
  unsigned timeout = 30;
  mysql_options(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  if (!source.empty()) mysql_options(mysql_, MYSQL_OPT_BIND, source.c_str());
  step_ = Step::kConnect;
  // Procedure calls answer with more than one result.
  return Drive(mysql_real_connect_start(&connect_ret_, mysql_, server.host.c_str(),
                                        server.user.c_str(), server.password.c_str(),
                                        server.database.c_str(), server.port, nullptr,
                                        CLIENT_MULTI_RESULTS));
}

int AsyncConn::BeginStatement(const std::string& text, bool want_row) {
  failed_ = false;
  first_row_.clear();
  want_row_ = want_row;
  if (!Open()) return Fail("not connected", CR_SERVER_GONE_ERROR);
  stmt_ = mysql_stmt_init(mysql_);
  if (stmt_ == nullptr) return Fail("out of memory", CR_OUT_OF_MEMORY);
  step_ = Step::kPrepare;
  return Drive(mysql_stmt_prepare_start(&int_ret_, stmt_, text.data(), text.size()));
}

int AsyncConn::Resume(int ready) { return Drive(Continue(ready)); }

int AsyncConn::Continue(int ready) {
  switch (step_) {
    case Step::kConnect:
      return mysql_real_connect_cont(&connect_ret_, mysql_, ready);
    case Step::kSetting:
      return mysql_real_query_cont(&int_ret_, mysql_, ready);
    case Step::kPrepare:
      return mysql_stmt_prepare_cont(&int_ret_, stmt_, ready);
    case Step::kExecute:
      return mysql_stmt_execute_cont(&int_ret_, stmt_, ready);
    case Step::kStore:
      return mysql_stmt_store_result_cont(&int_ret_, stmt_, ready);
    case Step::kNext:
      return mysql_stmt_next_result_cont(&int_ret_, stmt_, ready);
    case Step::kClose:
      return mysql_stmt_close_cont(&bool_ret_, stmt_, ready);
    case Step::kIdle:
      break;
  }
  return 0;
}

// Runs the exchange on while the library has finished its last call;
// returns what it waits for as soon as it waits.
int AsyncConn::Drive(int status) {
  while (status == 0) {
    switch (step_) {
      case Step::kConnect:
        if (connect_ret_ == nullptr)
          return Fail(mysql_error(mysql_), mysql_errno(mysql_));
        connected_ = true;
        setting_ = 0;
        step_ = Step::kSetting;
        status = mysql_real_query_start(&int_ret_, mysql_, kDriverSettings[0],
                                        std::char_traits<char>::length(kDriverSettings[0]));
        break;
      case Step::kSetting:
        if (int_ret_ != 0) return Fail(mysql_error(mysql_), mysql_errno(mysql_));
        if (++setting_ == std::size(kDriverSettings)) {
          step_ = Step::kIdle;
          return 0;
        }
        status = mysql_real_query_start(&int_ret_, mysql_, kDriverSettings[setting_],
                                        std::char_traits<char>::length(kDriverSettings[setting_]));
        break;
      case Step::kPrepare:
        if (int_ret_ != 0) return Fail(mysql_stmt_error(stmt_), mysql_stmt_errno(stmt_));
        step_ = Step::kExecute;
        status = mysql_stmt_execute_start(&int_ret_, stmt_);
        break;
      case Step::kExecute:
      case Step::kNext:
        if (step_ == Step::kNext && int_ret_ < 0) return CloseStatement();
        if (int_ret_ != 0) return Fail(mysql_stmt_error(stmt_), mysql_stmt_errno(stmt_));
        if (mysql_stmt_field_count(stmt_) == 0) {
          status = AfterStore();
          break;
        }
        step_ = Step::kStore;
        status = mysql_stmt_store_result_start(&int_ret_, stmt_);
        break;
      case Step::kStore:
        if (int_ret_ != 0) return Fail(mysql_stmt_error(stmt_), mysql_stmt_errno(stmt_));
        ReadFirstRow();
        status = AfterStore();
        break;
      case Step::kClose:
        stmt_ = nullptr;
        step_ = Step::kIdle;
        return 0;
      case Step::kIdle:
        return 0;
    }
  }
  return status;
}

int AsyncConn::AfterStore() {
  if (!mysql_stmt_more_results(stmt_)) return CloseStatement();
  step_ = Step::kNext;
  return mysql_stmt_next_result_start(&int_ret_, stmt_);
}

int AsyncConn::CloseStatement() {
  step_ = Step::kClose;
  int status = mysql_stmt_close_start(&bool_ret_, stmt_);
  if (status == 0) {
    stmt_ = nullptr;
    step_ = Step::kIdle;
  }
  return status;
}

// The first row of the first result, every column as text. The result is
// in memory already: fetching it waits for nothing.
void AsyncConn::ReadFirstRow() {
  if (!want_row_) return;
  want_row_ = false;
  unsigned n = mysql_stmt_field_count(stmt_);
  std::vector<MYSQL_BIND> bind(n);
  std::vector<char> buffers(static_cast<size_t>(n) * 256);
  std::vector<unsigned long> lengths(n);
  std::vector<my_bool> nulls(n);
  for (unsigned i = 0; i < n; ++i) {
    bind[i] = MYSQL_BIND{};
    bind[i].buffer_type = MYSQL_TYPE_STRING;
    bind[i].buffer = &buffers[static_cast<size_t>(i) * 256];
    bind[i].buffer_length = 255;
    bind[i].length = &lengths[i];
    bind[i].is_null = &nulls[i];
  }
  if (n == 0 || mysql_stmt_bind_result(stmt_, bind.data()) != 0) return;
  int got = mysql_stmt_fetch(stmt_);
  if (got != 0 && got != MYSQL_DATA_TRUNCATED) return;
  first_row_.assign(n, std::string());
  for (unsigned i = 0; i < n; ++i)
    if (!nulls[i])
      first_row_[i].assign(static_cast<const char*>(bind[i].buffer),
                           std::min<unsigned long>(lengths[i], 255));
}

int AsyncConn::Fail(const char* error, unsigned code) {
  failed_ = true;
  error_ = error;
  errno_ = code;
  if (stmt_ != nullptr) {
    // The statement's handle goes; a lost connection has nothing to close.
    mysql_stmt_close(stmt_);
    stmt_ = nullptr;
  }
  step_ = Step::kIdle;
  return 0;
}

bool AsyncConn::Lost() const {
  if (!Open()) return true;
  return errno_ == CR_SERVER_LOST || errno_ == CR_SERVER_GONE_ERROR ||
         errno_ == CR_CONNECTION_ERROR;
}

int AsyncConn::Socket() const { return mysql_ != nullptr ? mysql_get_socket(mysql_) : -1; }

unsigned AsyncConn::TimeoutMs() const {
  return mysql_ != nullptr ? mysql_get_timeout_value_ms(mysql_) : 0;
}

}  // namespace loadgen
