// The connection string and opening the one database connection.
#ifndef VELMORA_DB_CONNECTION_H_
#define VELMORA_DB_CONNECTION_H_

class CGlobal;

// Rebuilds m_strConnect: the fixed head, the server key, the address, the
// port key, the port, the user id and the password, each through QuoteName.
void BuildConnectString(CGlobal& g);

// Opens m_pDatabase with m_strConnect (reopening it in place when it is
// open), then reads the server configuration. On a database error shows
// "#%d:Can't connect to server on '%s' !." and frees the connection object:
// success is a non-null m_pDatabase. An empty connection string does nothing.
void OpenDatabase(CGlobal& g);

#endif  // VELMORA_DB_CONNECTION_H_
