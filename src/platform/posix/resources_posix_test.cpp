// The Linux copy of the dialog template must be the resource script's: the
// dialog's caption, size, font and style, and each control's place.
#include "platform/posix/resources_posix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ui/resource.h"

namespace {

TEST(PosixResources, ConfigDialogIsTheResourceScripts) {
  std::stringstream rc;
  rc << std::ifstream(std::string(VELMORA_SOURCE_DIR) + "/src/ui/velmora.rc").rdbuf();
  const std::string script = rc.str();
  // The dialog's block of the script, from its header line to END.
  const size_t start = script.find("IDD_CONFIG DIALOGEX");
  ASSERT_NE(std::string::npos, start);
  const std::string block = script.substr(start, script.find("\nEND", start) - start);
  const dialog_system::DialogTemplate* tpl = platform::FindDialogTemplate(IDD_CONFIG);
  ASSERT_NE(nullptr, tpl);
  EXPECT_EQ(nullptr, platform::FindDialogTemplate(4005));

  std::smatch m;
  const std::regex header(R"re(DIALOGEX 0, 0, (\d+), (\d+)\nSTYLE ([^\n]*)\n)re"
                          R"re(CAPTION "([^"]*)"\nFONT (\d+), "([^"]*)")re");
  ASSERT_TRUE(std::regex_search(block, m, header));
  const std::string style = m[3];
  EXPECT_EQ(std::make_tuple(std::stoi(m[1]), std::stoi(m[2]), m[4].str(), std::stoi(m[5]),
                            m[6].str(), style.find("DS_MODALFRAME") != std::string::npos,
                            style.find("WS_SYSMENU") != std::string::npos),
            std::make_tuple(tpl->cx, tpl->cy, std::string(tpl->caption), tpl->pointSize,
                            std::string(tpl->font), tpl->modalFrame, tpl->systemMenu));

  // Each control's id, kind, text, visibility and frame, as the host shows
  // them: host/dialog_test.sh. Here: where each one is, which nothing else
  // on this build reads.
  const std::regex line(R"re((?:PUSHBUTTON|LTEXT|AUTOCHECKBOX) "[^"]*", \w+, (\d+), (\d+), (\d+), (\d+))re");
  size_t count = 0;
  for (auto it = std::sregex_iterator(block.begin(), block.end(), line);
       it != std::sregex_iterator(); ++it, ++count) {
    ASSERT_LT(count, tpl->controls.size());
    const dialog_system::ControlTemplate& c = tpl->controls[count];
    const std::smatch& r = *it;
    EXPECT_EQ((std::vector<int>{stoi(r[1]), stoi(r[2]), stoi(r[3]), stoi(r[4])}),
              (std::vector<int>{c.x, c.y, c.cx, c.cy})) << c.id;
  }
  EXPECT_EQ(tpl->controls.size(), count);
}

}  // namespace
