// The session check after every connect, and ending the session.
#ifndef VELMORA_DB_SESSION_H_
#define VELMORA_DB_SESSION_H_

#include <string>

class CGlobal;

// Reads this installation's session record, takes over the account values,
// registers the session or logs why it was refused. Nonzero when accepted.
// Needs an open m_pDatabase; never throws.
int IsUserLoginOk(CGlobal& g);

// Sends the disconnect call when the connection is open, then closes and
// frees it, ignoring database errors; always leaves m_pDatabase null.
void DisconnectSession(CGlobal& g);

// Why a session was refused: logged on the server and shown in the status
// area while the state is Error.
inline constexpr char kSessionInUseText[] =
    "Unable connect to server, \nconnection is already in use.";

// A text argument of a procedure call, with ' and \ doubled so that any text
// (a driver's error message, say) reaches the server intact.
std::string CallText(const std::string& text);

#endif  // VELMORA_DB_SESSION_H_
