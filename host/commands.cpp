#include "host/commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <memory>

#include "host/host_session.h"
#include "host/plugin_messages.h"

namespace {

std::map<std::string, CommandSpec>& Commands() {
  static std::map<std::string, CommandSpec> commands;
  return commands;
}

constexpr char kDescription[] =
    "velmora-host stands in for the charting host: it loads the plug-in, opens its database\n"
    "(which connects when the settings say AutoConnect), runs one command, and ends the\n"
    "session as the host ends it.";
constexpr char kHostUsage[] = "usage: velmora-host [--plugin PATH] [--json] COMMAND [ARGS]";
constexpr char kFooter[] =
    "Exit codes: 0 done, 1 failed, 2 usage error, 3 the plug-in is not connected;\n"
    "`velmora-host COMMAND --help` tells a command's arguments and when it gives which.";

std::string Usage(const CommandSpec& spec) {
  return std::string("usage: velmora-host [--plugin PATH] ") + (spec.json ? "[--json] " : "") +
         spec.synopsis;
}

const CommandSpec* Find(const std::string& name) {
  auto found = Commands().find(name);
  return found == Commands().end() ? nullptr : &found->second;
}

// Help that begins with the usage line the host's errors show.
class HelpFormat : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* app, std::string) const override {
    const CommandSpec* spec = Find(app->get_name());
    return (spec != nullptr ? Usage(*spec) : std::string(kHostUsage)) + "\n";
  }
};

// One command line, or one line of a script, read.
struct Parsed {
  std::unique_ptr<CLI::App> parser;
  const CommandSpec* spec = nullptr;
  CommandAction action;
  HostOptions options;
  // Set when reading it ended the run: the help shown (0) or a usage error.
  int exit = -1;
};

// The first word that names no option: the command someone meant.
std::string CommandWord(const std::vector<std::string>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--plugin") {
      ++i;
    } else if (words[i].empty() || words[i][0] != '-') {
      return words[i];
    }
  }
  return "";
}

void Parse(const std::vector<std::string>& words, bool inScript, Parsed& parsed) {
  parsed.parser = std::make_unique<CLI::App>(kDescription, "velmora-host");
  CLI::App& app = *parsed.parser;
  app.formatter(std::make_shared<HelpFormat>());
  app.footer(kFooter);
  app.require_subcommand(1);
  // The host's own options may also follow the command.
  app.fallthrough();
  // A script runs in the session of one plug-in.
  if (!inScript)
    app.add_option("--plugin", parsed.options.pluginPath, "the plug-in library to load")
        ->type_name("PATH");
  app.add_flag("--json", parsed.options.json, "print JSON for scripts");
  std::map<const CLI::App*, CommandAction> actions;
  for (const auto& [name, spec] : Commands()) {
    CLI::App* command = app.add_subcommand(name, spec.summary)->group("Commands");
    command->footer(std::string("Exit codes: ") + spec.exits);
    actions[command] = spec.define(*command);
  }
  // CLI11 reads a vector from its end.
  std::vector<std::string> reversed(words.rbegin(), words.rend());
  const CLI::App* chosen = nullptr;
  try {
    app.parse(reversed);
    chosen = app.get_subcommands().front();
  } catch (const CLI::CallForHelp&) {
    std::printf("%s", app.help().c_str());
    parsed.exit = kExitOk;
    return;
  } catch (const CLI::ParseError& e) {
    const auto selected = app.get_subcommands();
    if (!selected.empty()) {
      parsed.exit = UsageError(selected.front()->get_name(), e.what());
    } else {
      const std::string word = CommandWord(words);
      parsed.exit = UsageError("", !word.empty() && Find(word) == nullptr
                                       ? "unknown command '" + word + "'"
                                   : word.empty() && e.get_name() == "RequiredError"
                                       ? "no command given"
                                       : e.what());
    }
    return;
  }
  parsed.spec = Find(chosen->get_name());
  if (parsed.options.json && !parsed.spec->json) {
    parsed.exit = UsageError(parsed.spec->name, std::string("--json: ") + parsed.spec->name +
                                                    " prints no JSON");
    return;
  }
  parsed.action = actions[chosen];
}

int Run(const Parsed& parsed, HostSession& session) {
  const int code = parsed.action(session, parsed.options);
  // A connect the command made may have failed (the menu's Connect, a
  // retry while the message loop ran).
  ExplainConnectFailures(TakePluginMessages());
  return code;
}

}  // namespace

CommandRegistration::CommandRegistration(CommandSpec spec) { Commands()[spec.name] = spec; }

void AddTickerAndPeriod(CLI::App& parser, std::string& ticker, bool& daily, bool& intraday) {
  parser.add_option("ticker", ticker, "the ticker, as the server knows it")
      ->required()
      ->type_name("TICKER");
  CLI::Option_group* period = parser.add_option_group("period", "which bars");
  period->add_flag("--daily", daily, "daily bars");
  period->add_flag("--intraday", intraday, "one-minute bars");
  period->require_option(1);
}

CommandDefinition WithoutArguments(CommandAction action) {
  return [action](CLI::App&) { return action; };
}

int UsageError(const std::string& command, const std::string& problem) {
  std::fprintf(stderr, "velmora-host: %s\n", problem.c_str());
  if (const CommandSpec* spec = Find(command)) {
    std::fprintf(stderr, "%s\n(velmora-host %s --help says more)\n", Usage(*spec).c_str(),
                 command.c_str());
    return kExitUsage;
  }
  std::fprintf(stderr, "%s\ncommands:\n", kHostUsage);
  for (const auto& [name, spec] : Commands())
    std::fprintf(stderr, "  %-20s %s\n", name.c_str(), spec.summary);
  std::fprintf(stderr, "(velmora-host --help says more)\n");
  return kExitUsage;
}

int RunInSession(HostSession& session, const HostOptions& options,
                 const std::vector<std::string>& words) {
  Parsed parsed;
  parsed.options = options;
  Parse(words, true, parsed);
  return parsed.exit >= 0 ? parsed.exit : Run(parsed, session);
}

int RunCommandLine(int argc, char** argv) {
  Parsed parsed;
  parsed.options.pluginPath = DefaultPluginPath();
  Parse(std::vector<std::string>(argv + 1, argv + argc), false, parsed);
  if (parsed.exit >= 0) return parsed.exit;
  RecordPluginMessages();
  HostSession session;
  std::string error;
  if (!session.Start(parsed.options.pluginPath, &error)) {
    std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
    return kExitFailed;
  }
  if (!parsed.spec->beforeDatabase) {
    session.LoadDatabase();
    // With AutoConnect the host's start connects; say why that failed before
    // the command shows its consequences.
    ExplainConnectFailures(TakePluginMessages());
  }
  const int code = Run(parsed, session);
  session.Stop();
  return code;
}
