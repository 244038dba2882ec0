// The Linux copy of the dialog template must be the resource script's:
// every control with its id, kind, text, position, size and visibility, and
// the dialog's caption, size and font.
#include "platform/posix/resources_posix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
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

using Kind = dialog_system::ControlKind;
const std::map<std::string, Kind> kKinds = {{"PUSHBUTTON", Kind::kPushButton},
                                            {"DEFPUSHBUTTON", Kind::kDefPushButton},
                                            {"LTEXT", Kind::kStatic},
                                            {"AUTOCHECKBOX", Kind::kAutoCheckBox}};

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

  const std::map<std::string, int> ids = {
      {"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_RETRIEVE_ALL", IDC_RETRIEVE_ALL},
      {"IDC_STATUS", IDC_STATUS}, {"IDC_AUTO_CONNECT", IDC_AUTO_CONNECT},
      {"IDC_REMOVE_ZERO_VOLUME", IDC_REMOVE_ZERO_VOLUME}};
  const std::regex line(
      R"re((PUSHBUTTON|DEFPUSHBUTTON|LTEXT|AUTOCHECKBOX) "([^"]*)", (\w+), (\d+), (\d+), (\d+), (\d+)(.*))re");
  size_t count = 0;
  for (auto it = std::sregex_iterator(block.begin(), block.end(), line);
       it != std::sregex_iterator(); ++it, ++count) {
    const std::smatch& c = *it;
    ASSERT_LT(count, tpl->controls.size());
    const dialog_system::ControlTemplate& control = tpl->controls[count];
    ASSERT_EQ(1u, ids.count(c[3])) << c[3];
    EXPECT_EQ(ids.at(c[3]), control.id);
    EXPECT_TRUE(kKinds.at(c[1]) == control.kind) << control.id;
    EXPECT_EQ(c[2].str(), control.text) << control.id;
    EXPECT_EQ(c[4].str() + "," + c[5].str() + "," + c[6].str() + "," + c[7].str(),
              std::to_string(control.x) + "," + std::to_string(control.y) + "," +
                  std::to_string(control.cx) + "," + std::to_string(control.cy))
        << control.id;
    EXPECT_EQ(c[8].str().find("NOT WS_VISIBLE") == std::string::npos, control.visible) << control.id;
    EXPECT_EQ(c[8].str().find("SS_SUNKEN") != std::string::npos, control.sunken) << control.id;
  }
  EXPECT_EQ(tpl->controls.size(), count);
}

}  // namespace
