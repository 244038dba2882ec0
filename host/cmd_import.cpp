// import: opens the configuration dialog, presses "Retrieve all symbols",
// shows the status line as it changes, presses OK, then shows the directory
// that the plug-in put into the host: markets, groups, sectors with their
// industries, the symbols (how many, how many indices) and the first rows.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/config_dialog.h"
#include "host/host_directory.h"
#include "host/host_session.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

constexpr size_t kFirstRows = 12;

std::string Joined(const std::map<int, std::string>& names) {
  std::string text;
  for (const auto& [number, name] : names) {
    if (!text.empty()) text += ", ";
    text += std::to_string(number) + " " + name;
  }
  return text;
}

// Sectors worth showing: named ones, and any that holds an industry.
std::map<int, std::vector<int>> SectorIndustries(const HostDirectory& d) {
  std::map<int, std::vector<int>> sectors;
  for (const auto& [number, name] : d.Names(2))
    if (name != "Undefined") sectors[number];
  for (const auto& [industry, sector] : d.IndustrySectors()) {
    auto name = d.Names(3).find(industry);
    if (name != d.Names(3).end() && !name->second.empty()) sectors[sector].push_back(industry);
  }
  return sectors;
}

nlohmann::json DirectoryJson(const HostDirectory& d) {
  using nlohmann::json;
  json out;
  auto names = [&](int kind) {
    json list = json::array();
    for (const auto& [number, name] : d.Names(kind))
      list.push_back({{"number", number}, {"name", name}});
    return list;
  };
  out["markets"] = names(0);
  out["groups"] = names(1);
  json sectors = json::array();
  for (const auto& [sector, industries] : SectorIndustries(d)) {
    json list = json::array();
    for (int industry : industries)
      list.push_back({{"number", industry}, {"name", d.Names(3).at(industry)}});
    auto name = d.Names(2).find(sector);
    sectors.push_back({{"number", sector},
                       {"name", name == d.Names(2).end() ? "" : name->second},
                       {"industries", list}});
  }
  out["sectors"] = sectors;
  json symbols = json::array();
  int indices = 0;
  for (const auto& symbol : d.Symbols()) {
    const StockInfo& r = symbol->record;
    indices += HostDirectory::IsIndex(r) ? 1 : 0;
    symbols.push_back({{"ticker", symbol->ticker},
                       {"name", std::string(r.FullName)},
                       {"market", HostDirectory::Market(r)},
                       {"group", HostDirectory::Group(r)},
                       {"industry", r.IndustryID},
                       {"index", HostDirectory::IsIndex(r)}});
  }
  out["symbols"] = symbols;
  out["counts"] = {{"symbols", d.Symbols().size()},
                   {"securities", d.Symbols().size() - indices},
                   {"indices", indices}};
  return out;
}

void PrintDirectory(const HostDirectory& d) {
  std::printf("Markets:    %s\n", Joined(d.Names(0)).c_str());
  std::printf("Groups:     %s\n", Joined(d.Names(1)).c_str());
  const auto sectors = SectorIndustries(d);
  size_t industries = 0;
  for (const auto& entry : sectors) industries += entry.second.size();
  std::printf("Sectors:    %zu, with %zu industries\n", sectors.size(), industries);
  for (const auto& [sector, list] : sectors) {
    auto name = d.Names(2).find(sector);
    std::string line;
    for (int industry : list)
      line += (line.empty() ? "" : "; ") + std::to_string(industry) + " " + d.Names(3).at(industry);
    std::printf("  %3d %s: %s\n", sector, name == d.Names(2).end() ? "" : name->second.c_str(),
                line.c_str());
  }
  size_t indices = 0;
  for (const auto& symbol : d.Symbols()) indices += HostDirectory::IsIndex(symbol->record);
  std::printf("Symbols:    %zu (securities %zu, indices %zu)\n", d.Symbols().size(),
              d.Symbols().size() - indices, indices);
  std::printf("  %-12s %6s %5s %8s %5s  %s\n", "Ticker", "Market", "Group", "Industry", "Index",
              "Name");
  for (size_t i = 0; i < d.Symbols().size() && i < kFirstRows; ++i) {
    const auto& symbol = *d.Symbols()[i];
    const StockInfo& r = symbol.record;
    std::printf("  %-12s %6d %5d %8d %5s  %s\n", symbol.ticker.c_str(), HostDirectory::Market(r),
                HostDirectory::Group(r), r.IndustryID, HostDirectory::IsIndex(r) ? "yes" : "",
                r.FullName);
  }
  if (d.Symbols().size() > kFirstRows)
    std::printf("  ... %zu more (--json shows them all)\n", d.Symbols().size() - kFirstRows);
}

// The dialog's status line as it changes. On a terminal one line, written
// over; elsewhere a line for each new kind of text, so that a run of steps
// ("Retrieving symbol 1. - AALI", ... 2. ...) shows its first and last.
// With --json, standard output is the result alone: the line is shown only
// on a terminal's standard error.
class ImportProgress {
 public:
  explicit ImportProgress(bool json)
      : m_out(json ? stderr : stdout),
        m_terminal(isatty(fileno(m_out)) != 0),
        m_quiet(json && !m_terminal) {}
  ~ImportProgress() {
    if (m_terminal && !m_last.empty()) std::fprintf(m_out, "\n");
    ShowHeld();
  }

  const std::string& last() const { return m_last; }

  void operator()(const std::string& text) {
    const bool sameRun = !m_last.empty() && Kind(text) == Kind(m_last);
    m_last = text;
    if (m_quiet) return;
    if (m_terminal) {
      std::fprintf(m_out, "\rstatus: %-60s", text.c_str());
      std::fflush(m_out);
    } else if (sameRun) {
      m_held = text;
    } else {
      ShowHeld();
      Show(text);
    }
  }

 private:
  static std::string Kind(const std::string& text) {
    return text.substr(0, text.find_first_of("0123456789"));
  }
  void Show(const std::string& text) const {
    std::fprintf(m_out, "status: %s\n", text.c_str());
    std::fflush(m_out);
  }
  void ShowHeld() {
    if (!m_held.empty()) Show(m_held);
    m_held.clear();
  }

  FILE* const m_out;
  const bool m_terminal, m_quiet;
  std::string m_last, m_held;
};

int Import(HostSession& session, const HostOptions& options) {
  std::string last;
  ConfigureResult result;
  {
    ImportProgress progress(options.json);
    result = RunConfigure(session,
                          {DialogStep{DialogStep::kClick, IDC_RETRIEVE_ALL, 0},
                           DialogStep{DialogStep::kClick, kOkButton, 0}},
                          [&progress](const std::string& text) { progress(text); });
    last = progress.last();
  }
  const DialogReport& dialog = result.dialog;
  const ControlState* button =
      dialog.before.size() >= 2 ? FindControl(dialog.before[1], IDC_RETRIEVE_ALL) : nullptr;
  const bool ok = dialog.shown && dialog.refused.empty() && last == "Retrieving all symbol done.";

  if (options.json) {
    nlohmann::json out = DirectoryJson(session.directory);
    out["status"] = last;
    out["statusPaints"] = dialog.statusPaints;
    out["messageBoxes"] = dialog.messageBoxes;
    out["buttonAfterImport"] =
        button == nullptr ? "" : button->enabled ? "enabled" : "disabled";
    out["configureReturned"] = result.returned;
    std::printf("%s\n", out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return ok ? kExitOk : kExitFailed;
  }
  if (!dialog.shown) {
    std::printf("dialog: not shown\n");
    return kExitFailed;
  }
  if (button != nullptr)
    std::printf("Retrieve all symbols: %s after the import\n",
                button->enabled ? "enabled" : "disabled");
  std::printf("status line painted %d times\n", dialog.statusPaints);
  std::printf("pressed OK\nConfigure returned %d\n", result.returned);
  PrintDirectory(session.directory);
  return ok ? kExitOk : kExitFailed;
}

const CommandRegistration kImport({
    .name = "import",
    .synopsis = "import",
    .summary = "the configuration dialog's \"Retrieve all symbols\", then OK; the directory "
               "the plug-in put into the host (--json: all of it)",
    .exits = "0 imported, 1 the dialog did not show or the import did not end done, 2 usage "
             "error.",
    .define = WithoutArguments(Import),
    .json = true,
});

}  // namespace
