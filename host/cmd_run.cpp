// run, wait, echo: several actions in one host session, one a line, with
// the message loop running between them so that the plug-in's timers fire.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

int Run(HostSession& session, const HostOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: velmora-host run SCRIPT (or - for standard input)\n");
    return 2;
  }
  std::ifstream file;
  if (args[1] != "-") {
    file.open(args[1]);
    if (!file) {
      std::fprintf(stderr, "velmora-host: cannot read script '%s'\n", args[1].c_str());
      return 2;
    }
  }
  std::istream& in = args[1] == "-" ? std::cin : file;

  session.showStatusChanges = true;
  session.ShowStatusIfChanged();
  int code = 0, number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    std::printf("> %s\n", line.c_str());
    std::fflush(stdout);
    int rc = 2;
    if (words[0] == "run") {
      std::fprintf(stderr, "velmora-host: line %d: scripts do not run scripts\n", number);
    } else {
      const long long start = SteadyNs();
      rc = RunInSession(session, options, words);
      // A wait or a watch is the message loop, which notes each call-back
      // itself.
      if (words[0] != "wait" && words[0] != "watch")
        session.NoteBlock(MillisecondsSince(start), words[0]);
      session.ShowStatusIfChanged();
    }
    if (rc != 0) {
      std::printf("line %d: '%s' ended with code %d\n", number, line.c_str(), rc);
      if (code == 0) code = rc;
    }
    std::fflush(stdout);
  }
  std::printf("streaming updates: %d\nlongest call into the plug-in: %u ms (%s)\n",
              session.streamingUpdates, session.longestBlockMs,
              session.longestBlockWhat.empty() ? "none" : session.longestBlockWhat.c_str());
  return code;
}

int Wait(HostSession& session, const HostOptions&, const std::vector<std::string>& args) {
  char* end = nullptr;
  const double seconds = args.size() == 2 ? std::strtod(args[1].c_str(), &end) : -1;
  if (args.size() != 2 || *end != '\0' || !(seconds >= 0 && seconds <= 86400)) {
    std::fprintf(stderr, "usage: wait SECONDS (0 to 86400)\n");
    return 2;
  }
  session.showStatusChanges = true;
  session.Pump(static_cast<unsigned>(seconds * 1000 + 0.5));
  return 0;
}

int Echo(HostSession&, const HostOptions&, const std::vector<std::string>& args) {
  std::string text;
  for (size_t i = 1; i < args.size(); ++i) text += (i > 1 ? " " : "") + args[i];
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
  return 0;
}

int Updates(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  std::printf("streaming updates so far: %d\n", session.streamingUpdates);
  std::fflush(stdout);
  return 0;
}

const CommandRegistration kRun("run", "run SCRIPT|-      one action a line in one session", Run);
const CommandRegistration kWait("wait",
                                "wait SECONDS      run the message loop (timers fire)", Wait);
const CommandRegistration kEcho("echo", "echo TEXT         print the text (marks in scripts)", Echo);
const CommandRegistration kUpdates("updates",
                                   "updates           the streaming updates received so far",
                                   Updates);

}  // namespace
