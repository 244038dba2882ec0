// Printing what the plug-in hands the host.
#ifndef VELMORA_HOST_REPORT_H_
#define VELMORA_HOST_REPORT_H_

#include <string>

#include "src/host/host_records.h"

class HostSession;

void PrintInfo(HostSession& session, bool json);
void PrintRecord(const RecentInfo* record, bool json);
// The status field as the host's status area gets it: short text, colour,
// code and long text.
std::string StatusText(HostSession& session, bool json);
void PrintStatus(HostSession& session, bool json);

#endif  // VELMORA_HOST_REPORT_H_
