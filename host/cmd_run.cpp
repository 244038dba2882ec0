// run, wait, echo: several actions in one host session, one a line, with
// the message loop running between them so that the plug-in's timers fire.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/report.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

int Run(HostSession& session, const HostOptions& options, const std::string& script) {
  std::ifstream file;
  if (script != "-") {
    file.open(script);
    if (!file) return UsageError("run", "cannot read script '" + script + "'");
  }
  std::istream& in = script == "-" ? std::cin : file;

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

const CommandRegistration kRun({
    .name = "run",
    .synopsis = "run SCRIPT|-",
    .summary = "one command a line in one session (- for standard input; 'wait SECONDS' "
               "lets the timers run)",
    .exits = "0 every line ended with 0, else the first other code a line ended with; 2 "
             "usage error (the script cannot be read).",
    .define = [](CLI::App& parser) -> CommandAction {
      auto script = std::make_shared<std::string>();
      parser.add_option("script", *script, "a file, one command a line ('#' starts a comment)")
          ->required()
          ->type_name("SCRIPT|-");
      return [script](HostSession& session, const HostOptions& options) {
        return Run(session, options, *script);
      };
    },
});

const CommandRegistration kWait({
    .name = "wait",
    .synopsis = "wait SECONDS",
    .summary = "run the message loop for a while, so that the plug-in's timers fire",
    .exits = "0 waited, 2 usage error.",
    .define = [](CLI::App& parser) -> CommandAction {
      auto seconds = std::make_shared<double>();
      parser.add_option("seconds", *seconds, "how long, 0 to 86400")
          ->required()
          ->check(CLI::Range(0.0, 86400.0))
          ->type_name("SECONDS");
      return [seconds](HostSession& session, const HostOptions&) {
        session.showStatusChanges = true;
        session.Pump(static_cast<unsigned>(*seconds * 1000 + 0.5));
        return kExitOk;
      };
    },
});

const CommandRegistration kEcho({
    .name = "echo",
    .synopsis = "echo TEXT...",
    .summary = "print the text (marks a place in a script's output)",
    .exits = "0 printed.",
    .define = [](CLI::App& parser) -> CommandAction {
      auto words = std::make_shared<std::vector<std::string>>();
      parser.add_option("text", *words, "the words to print");
      return [words](HostSession&, const HostOptions&) {
        std::string text;
        for (const std::string& word : *words) text += (text.empty() ? "" : " ") + word;
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        return kExitOk;
      };
    },
});

const CommandRegistration kUpdates({
    .name = "updates",
    .synopsis = "updates",
    .summary = "the streaming updates received so far in this session",
    .exits = "0 printed, 2 usage error.",
    .define = WithoutArguments([](HostSession& session, const HostOptions& options) {
      if (options.json)
        std::printf("%s\n", JsonText({{"streamingUpdates", session.streamingUpdates}}).c_str());
      else
        std::printf("streaming updates so far: %d\n", session.streamingUpdates);
      std::fflush(stdout);
      return kExitOk;
    }),
    .json = true,
});

}  // namespace
