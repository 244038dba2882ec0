// The Linux copy of the dialog template must be the resource script's: the
// dialog's caption, size, font and style, and each control's place.
#include "platform/posix/resources_posix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "ui/resource.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The dialog's block of the script, from its header line to END.
std::string DialogBlock(const std::string& rc, const std::string& name) {
  const size_t start = rc.find(name + " DIALOGEX");
  if (start == std::string::npos) return std::string();
  const size_t end = rc.find("\nEND", start);
  return rc.substr(start, end - start);
}

TEST(PosixResources, ConfigDialogIsTheResourceScripts) {
  const std::string block =
      DialogBlock(ReadFile(std::string(VELMORA_SOURCE_DIR) + "/src/ui/velmora.rc"), "IDD_CONFIG");
  ASSERT_FALSE(block.empty());
  const dialog_system::DialogTemplate* tpl = platform::FindDialogTemplate(IDD_CONFIG);
  ASSERT_NE(nullptr, tpl);
  EXPECT_EQ(nullptr, platform::FindDialogTemplate(4005));

  std::smatch m;
  ASSERT_TRUE(std::regex_search(block, m, std::regex(R"re(DIALOGEX 0, 0, (\d+), (\d+))re")));
  EXPECT_EQ(tpl->cx, std::stoi(m[1]));
  EXPECT_EQ(tpl->cy, std::stoi(m[2]));
  ASSERT_TRUE(std::regex_search(block, m, std::regex(R"re(CAPTION "([^"]*)")re")));
  EXPECT_EQ(tpl->caption, m[1].str());
  ASSERT_TRUE(std::regex_search(block, m, std::regex(R"re(FONT (\d+), "([^"]*)")re")));
  EXPECT_EQ(tpl->pointSize, std::stoi(m[1]));
  EXPECT_EQ(tpl->font, m[2].str());
  ASSERT_TRUE(std::regex_search(block, m, std::regex(R"re(STYLE ([^\n]*))re")));
  EXPECT_EQ(tpl->modalFrame, m[1].str().find("DS_MODALFRAME") != std::string::npos);
  EXPECT_EQ(tpl->systemMenu, m[1].str().find("WS_SYSMENU") != std::string::npos);

  // Each control's id, kind, text, visibility and frame, as the host shows
  // them: host/dialog_test.sh. Here: where each one is, which nothing else
  // on this build reads.
  const std::regex line(R"re((?:PUSHBUTTON|LTEXT|AUTOCHECKBOX) "[^"]*", \w+, (\d+), (\d+), (\d+), (\d+))re");
  size_t count = 0;
  for (auto it = std::sregex_iterator(block.begin(), block.end(), line);
       it != std::sregex_iterator(); ++it, ++count) {
    ASSERT_LT(count, tpl->controls.size());
    const dialog_system::ControlTemplate& c = tpl->controls[count];
    EXPECT_EQ((*it)[1].str() + "," + (*it)[2].str() + "," + (*it)[3].str() + "," + (*it)[4].str(),
              std::to_string(c.x) + "," + std::to_string(c.y) + "," + std::to_string(c.cx) + "," +
                  std::to_string(c.cy))
        << c.id;
  }
  EXPECT_EQ(tpl->controls.size(), count);
}

}  // namespace
