#!/usr/bin/python3
"""Runs one statement over ODBC, the way the plug-in reaches the server.

Goes through unixODBC (libodbc.so.2) and the driver registered as
"MySQL ODBC 3.51 Driver" in $ODBCSYSINI/odbcinst.ini, with the plug-in's
account unless told otherwise. Server settings come from the environment
that `scripts/dbserver env` prints.

  odbc_query.py [--user U --password P] [--types LETTERS] STATEMENT...

Prints the result's column names on the first line, then one line per row,
values separated by tabs (NULL for a database NULL). A statement without a
result prints nothing. Several statements run one after the other on the
same connection, each printing its result. On a database error prints "ERROR <SQLSTATE> <text>"
on standard error and exits 1.

--types gives a letter per column: c text (default), f 32-bit float,
t timestamp (printed YYYY-MM-DD HH:MM:SS), as the plug-in fetches them.
"""

import argparse
import ctypes
import os
import sys

SQL_HANDLE_ENV, SQL_HANDLE_DBC, SQL_HANDLE_STMT = 1, 2, 3
SQL_ATTR_ODBC_VERSION = 200
SQL_OV_ODBC3 = 3
SQL_DRIVER_NOPROMPT = 0
SQL_NTS = -3
SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_NO_DATA = 0, 1, 100
SQL_NULL_DATA = -1
SQL_C_CHAR, SQL_C_FLOAT, SQL_C_TYPE_TIMESTAMP = 1, 7, 93

SQLHANDLE = ctypes.c_void_p
SQLSMALLINT = ctypes.c_short
SQLLEN = ctypes.c_ssize_t
SQLULEN = ctypes.c_size_t


class Timestamp(ctypes.Structure):
    _fields_ = [("year", ctypes.c_short), ("month", ctypes.c_ushort), ("day", ctypes.c_ushort),
                ("hour", ctypes.c_ushort), ("minute", ctypes.c_ushort),
                ("second", ctypes.c_ushort), ("fraction", ctypes.c_uint)]


class OdbcError(Exception):
    pass


odbc = ctypes.CDLL("libodbc.so.2")
odbc.SQLAllocHandle.argtypes = [SQLSMALLINT, SQLHANDLE, ctypes.POINTER(SQLHANDLE)]
odbc.SQLSetEnvAttr.argtypes = [SQLHANDLE, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
odbc.SQLDriverConnect.argtypes = [SQLHANDLE, ctypes.c_void_p, ctypes.c_char_p, SQLSMALLINT,
                                  ctypes.c_char_p, SQLSMALLINT, ctypes.POINTER(SQLSMALLINT),
                                  ctypes.c_ushort]
odbc.SQLExecDirect.argtypes = [SQLHANDLE, ctypes.c_char_p, ctypes.c_int]
odbc.SQLNumResultCols.argtypes = [SQLHANDLE, ctypes.POINTER(SQLSMALLINT)]
odbc.SQLDescribeCol.argtypes = [SQLHANDLE, ctypes.c_ushort, ctypes.c_char_p, SQLSMALLINT,
                                ctypes.POINTER(SQLSMALLINT), ctypes.POINTER(SQLSMALLINT),
                                ctypes.POINTER(SQLULEN), ctypes.POINTER(SQLSMALLINT),
                                ctypes.POINTER(SQLSMALLINT)]
odbc.SQLFetch.argtypes = [SQLHANDLE]
odbc.SQLGetData.argtypes = [SQLHANDLE, ctypes.c_ushort, SQLSMALLINT, ctypes.c_void_p, SQLLEN,
                            ctypes.POINTER(SQLLEN)]
odbc.SQLMoreResults.argtypes = [SQLHANDLE]
odbc.SQLGetDiagRec.argtypes = [SQLSMALLINT, SQLHANDLE, SQLSMALLINT, ctypes.c_char_p,
                               ctypes.POINTER(ctypes.c_int), ctypes.c_char_p, SQLSMALLINT,
                               ctypes.POINTER(SQLSMALLINT)]
odbc.SQLFreeHandle.argtypes = [SQLSMALLINT, SQLHANDLE]
odbc.SQLDisconnect.argtypes = [SQLHANDLE]


def diag(kind, handle):
    state = ctypes.create_string_buffer(6)
    native = ctypes.c_int()
    msg = ctypes.create_string_buffer(1024)
    n = SQLSMALLINT()
    rc = odbc.SQLGetDiagRec(kind, handle, 1, state, ctypes.byref(native), msg, len(msg),
                            ctypes.byref(n))
    if rc not in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
        return "HY000 (no diagnostic record)"
    return "%s %s" % (state.value.decode(), msg.value.decode("utf-8", "replace"))


def check(rc, kind, handle):
    if rc not in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
        raise OdbcError(diag(kind, handle))


def get_value(stmt, col, kind):
    ind = SQLLEN()
    if kind == "f":
        v = ctypes.c_float()
        check(odbc.SQLGetData(stmt, col, SQL_C_FLOAT, ctypes.byref(v), 4, ctypes.byref(ind)),
              SQL_HANDLE_STMT, stmt)
        return None if ind.value == SQL_NULL_DATA else repr(v.value)
    if kind == "t":
        v = Timestamp()
        check(odbc.SQLGetData(stmt, col, SQL_C_TYPE_TIMESTAMP, ctypes.byref(v),
                              ctypes.sizeof(v), ctypes.byref(ind)), SQL_HANDLE_STMT, stmt)
        if ind.value == SQL_NULL_DATA:
            return None
        return "%04d-%02d-%02d %02d:%02d:%02d" % (v.year, v.month, v.day, v.hour, v.minute,
                                                  v.second)
    parts = []
    while True:
        buf = ctypes.create_string_buffer(4096)
        rc = odbc.SQLGetData(stmt, col, SQL_C_CHAR, buf, len(buf), ctypes.byref(ind))
        if rc == SQL_NO_DATA:
            break
        check(rc, SQL_HANDLE_STMT, stmt)
        if ind.value == SQL_NULL_DATA:
            return None
        parts.append(buf.value)
        if rc == SQL_SUCCESS:
            break
    return b"".join(parts).decode("utf-8", "replace")


def connection_string(user, password):
    host = os.environ.get("VELMORA_DB_HOST", "127.0.0.1")
    port = os.environ.get("VELMORA_DB_PORT", "3306")
    return ("DRIVER={MySQL ODBC 3.51 Driver};DATABASE=db_amiplugin;OPTION=4194304;"
            "SERVER=%s;PORT=%s;UID=%s;PWD=%s;CONN_TIMEOUT=5;READ_TIMEOUT=30;WRITE_TIMEOUT=30"
            % (host, port, user, password))


def run(statements, user, password, types):
    env, dbc, stmt = SQLHANDLE(), SQLHANDLE(), SQLHANDLE()
    out = []
    check(odbc.SQLAllocHandle(SQL_HANDLE_ENV, None, ctypes.byref(env)), SQL_HANDLE_ENV, env)
    try:
        odbc.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, ctypes.c_void_p(SQL_OV_ODBC3), 0)
        check(odbc.SQLAllocHandle(SQL_HANDLE_DBC, env, ctypes.byref(dbc)), SQL_HANDLE_ENV, env)
        cs = connection_string(user, password).encode()
        check(odbc.SQLDriverConnect(dbc, None, cs, SQL_NTS, None, 0, None, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc)
        try:
            for sql in statements:
                run_one(dbc, stmt, sql, types, out)
        finally:
            odbc.SQLDisconnect(dbc)
    finally:
        if dbc.value:
            odbc.SQLFreeHandle(SQL_HANDLE_DBC, dbc)
        odbc.SQLFreeHandle(SQL_HANDLE_ENV, env)
    return out


def run_one(dbc, stmt, sql, types, out):
    """Runs one statement on the open connection; appends its result."""
    try:
        check(odbc.SQLAllocHandle(SQL_HANDLE_STMT, dbc, ctypes.byref(stmt)), SQL_HANDLE_DBC, dbc)
        rc = odbc.SQLExecDirect(stmt, sql.encode("utf-8"), SQL_NTS)
        if rc != SQL_NO_DATA:
            check(rc, SQL_HANDLE_STMT, stmt)
        ncols = SQLSMALLINT()
        check(odbc.SQLNumResultCols(stmt, ctypes.byref(ncols)), SQL_HANDLE_STMT, stmt)
        if ncols.value > 0:
            names = []
            for i in range(1, ncols.value + 1):
                name = ctypes.create_string_buffer(256)
                nlen, dtype, nullable, digits = SQLSMALLINT(), SQLSMALLINT(), SQLSMALLINT(), SQLSMALLINT()
                size = SQLULEN()
                check(odbc.SQLDescribeCol(stmt, i, name, len(name), ctypes.byref(nlen),
                                          ctypes.byref(dtype), ctypes.byref(size),
                                          ctypes.byref(digits), ctypes.byref(nullable)),
                      SQL_HANDLE_STMT, stmt)
                names.append(name.value.decode())
            out.append("\t".join(names))
            while True:
                rc = odbc.SQLFetch(stmt)
                if rc == SQL_NO_DATA:
                    break
                check(rc, SQL_HANDLE_STMT, stmt)
                row = []
                for i in range(1, ncols.value + 1):
                    kind = types[i - 1] if i - 1 < len(types) else "c"
                    v = get_value(stmt, i, kind)
                    row.append("NULL" if v is None else v)
                out.append("\t".join(row))
        while True:
            rc = odbc.SQLMoreResults(stmt)
            if rc == SQL_NO_DATA:
                break
            check(rc, SQL_HANDLE_STMT, stmt)
    finally:
        if stmt.value:
            odbc.SQLFreeHandle(SQL_HANDLE_STMT, stmt)
            stmt.value = None


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--user", default=os.environ.get("VELMORA_DB_PLUGIN_USER", "velmora_plugin"))
    ap.add_argument("--password",
                    default=os.environ.get("VELMORA_DB_PLUGIN_PASSWORD", "Vm7plugin2026"))
    ap.add_argument("--types", default="", help="one letter per column: c, f or t")
    ap.add_argument("statement", nargs="+")
    args = ap.parse_args()
    types = args.types.replace(",", "")
    if any(k not in "cft" for k in types):
        ap.error("--types takes the letters c, f and t")
    try:
        lines = run(args.statement, args.user, args.password, types)
    except OdbcError as e:
        print("ERROR %s" % e, file=sys.stderr)
        return 1
    for line in lines:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
