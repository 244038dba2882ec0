// The plug-in's message boxes as the stand-in host records them, and what
// the host adds to a failed connect so that a user can act on it.
#ifndef VELMORA_HOST_PLUGIN_MESSAGES_H_
#define VELMORA_HOST_PLUGIN_MESSAGES_H_

#include <string>
#include <vector>

// From now on every message box the plug-in shows is recorded.
void RecordPluginMessages();
// The message boxes shown since the last call, oldest first.
std::vector<std::string> TakePluginMessages();

// The plug-in's connect failure names only the server's address. For each
// one among the messages, prints (standard error) the address and port the
// settings gave it and the driver's own diagnostic, from a connect that the
// host makes itself with the same settings.
void ExplainConnectFailures(const std::vector<std::string>& messages);

// The host's own connect with the plug-in's settings: empty when it
// succeeds, else the driver's diagnostic. Sets the address and port used.
std::string ProbeConnect(std::string* address, std::string* port);

// The plug-in drops a database error of a bar request without a word. For
// a request that got nothing, the host asks the server itself, over a
// connection of its own, for a bar of the ticker from the configured
// backfill start on (what a chart holding no bars asks for): the driver's
// diagnostic when the server refuses, else empty, with `*rows` telling
// whether the server has any.
std::string ProbeBars(const std::string& ticker, int periodicity, bool* rows);

#endif  // VELMORA_HOST_PLUGIN_MESSAGES_H_
