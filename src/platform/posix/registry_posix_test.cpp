#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_listing.h"
#include "testing/test_registry.h"

namespace {

using platform::ListRegistryKey;
using platform::RegistryListing;

const char kKey[] = "Software\\ZUZ\\Velmora\\Velmora";

class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseFreshRoot();
    testing_registry::CreateKey(kKey);
    path_ = std::string(std::getenv("VELMORA_REGISTRY_DIR")) +
            "/HKEY_CURRENT_USER/Software/ZUZ/Velmora/Velmora.reg";
  }
  void TearDown() override { std::filesystem::remove_all(std::getenv("VELMORA_REGISTRY_DIR")); }
  std::string File() const {
    std::stringstream text;
    text << std::ifstream(path_, std::ios::binary).rdbuf();
    return text.str();
  }
  void SetFile(const std::string& text) const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
  }
  std::string Read(const std::string& name) const {
    std::string text = "(absent)";
    platform::RegistryReadString(kKey, name, &text);
    return text;
  }
  std::string Number(const std::string& name) const {
    uint32_t number = 0;
    return platform::RegistryReadNumber(kKey, name, &number) ? std::to_string(number) : "(absent)";
  }
  std::string path_;
};

TEST_F(RegistryFileTest, EveryTextRoundTripsOnOneLineAndLeavesTheOthersAlone) {
  std::string bytes;
  for (int c = 1; c <= 255; ++c) bytes += static_cast<char>(c);
  // Any name and text on one line: fuzz/registry_fuzz.cpp; here in the file.
  const std::string texts[] = {
      "Line1\n\"ServerPort\"=\"1",  // a name from the server that looks like a line
      "C:\\dir\\\"x\"\\",           // ends with a backslash
      bytes,
  };
  ASSERT_TRUE(platform::RegistryWriteString(kKey, "ServerPort", "33065"));
  ASSERT_TRUE(platform::RegistryWriteNumber(kKey, "AutoConnect", 1));
  for (const std::string& text : texts) {
    ASSERT_TRUE(platform::RegistryWriteString(kKey, "UserName", text));
    EXPECT_EQ(text, Read("UserName"));
    EXPECT_EQ("33065 1", Read("ServerPort") + " " + Number("AutoConnect"));
    const std::string file = File();
    EXPECT_EQ(3, std::count(file.begin(), file.end(), '\n')) << file;
    const RegistryListing listing = ListRegistryKey(kKey);
    EXPECT_TRUE(listing.skipped.empty()) << listing.skipped[0].text;
    ASSERT_EQ(3u, listing.values.size());
  }
  // Set back to a plain name, the file is as if nothing odd had been there.
  ASSERT_TRUE(platform::RegistryWriteString(kKey, "UserName", "Ani"));
  EXPECT_EQ("\"ServerPort\"=\"33065\"\n\"AutoConnect\"=dword:00000001\n\"UserName\"=\"Ani\"\n",
            File());
}

TEST_F(RegistryFileTest, AWriteReplacesTheFileWholeThroughANewFile) {
  SetFile("\"ServerAddress\"=\"old\"\n");
  std::filesystem::permissions(path_, std::filesystem::perms(0640));
  // A reader that opened the file before the write still reads all of the
  // old one: the write never truncates the file in place.
  const int before = open(path_.c_str(), O_RDONLY);
  ASSERT_GE(before, 0);
  ASSERT_TRUE(platform::RegistryWriteString(kKey, "ServerAddress", std::string(5000, 'n')));
  char buffer[64] = {};
  EXPECT_EQ(22, read(before, buffer, sizeof buffer));
  EXPECT_STREQ("\"ServerAddress\"=\"old\"\n", buffer);
  close(before);
  EXPECT_EQ(std::string(5000, 'n'), Read("ServerAddress"));
  EXPECT_EQ(std::filesystem::perms(0640),
            std::filesystem::status(path_).permissions() & std::filesystem::perms::mask);
  const auto folder = std::filesystem::directory_iterator(std::filesystem::path(path_).parent_path());
  EXPECT_EQ(1, std::distance(begin(folder), end(folder))) << "a temporary file is left beside it";
}

TEST_F(RegistryFileTest, LinesItCannotReadAreSkippedNamedAndKept) {
  SetFile(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\ZUZ\\Velmora\\Velmora]\r\n"
      "; a comment\n"
      "garbage\n"
      "\"AutoConnect\"=dword:1\n"
      "\"ServerPort\" = \"33065\"\n"
      "\"ServerAddress\"=\"db.example\n"
      "\\\"ServerPort\\\"=\\\"1\"\n"
      "\"Path\"=\"C:\\data\"\n"
      "\"Email\"=\"first\"\n"
      "\"Email\"=\"second\"\n"
      "\"Mode\"=hex:01,02\n"
      "\"Odd\"=\"x\" trailing\n");
  // A hand-written path keeps its backslash; the last line counts, as on import.
  EXPECT_EQ("(absent) (absent) (absent) C:\\data second",
            Number("AutoConnect") + " " + Read("ServerPort") + " " + Read("ServerAddress") + " " +
                Read("Path") + " " + Read("Email"));

  const RegistryListing listing = ListRegistryKey(kKey);
  EXPECT_TRUE(listing.exists && listing.error.empty()) << listing.error;
  std::vector<std::string> skipped;  // line and name, each with a reason
  for (const auto& s : listing.skipped)
    skipped.push_back(std::to_string(s.line) + " " + s.name + (s.reason.empty() ? " ?" : ""));
  ASSERT_EQ((std::vector<std::string>{"5 ", "6 AutoConnect", "7 ServerPort", "8 ServerAddress",
                                      "9 ", "13 Mode", "14 Odd"}),
            skipped);
  EXPECT_EQ("not a value line (it must begin with the quoted name)", listing.skipped[0].reason);
  EXPECT_EQ("spaces around '='", listing.skipped[2].reason);  // a dword's: host/doctor_test.sh
  EXPECT_EQ("the text's closing quote is missing", listing.skipped[3].reason);
  EXPECT_EQ(3u, listing.values.size());

  // Writing a value replaces the lines that name it, good or bad; lines that
  // name nothing stay for their owner to see.
  ASSERT_TRUE(platform::RegistryWriteNumber(kKey, "AutoConnect", 1));
  ASSERT_TRUE(platform::RegistryWriteString(kKey, "Email", "third"));
  EXPECT_EQ("1", Number("AutoConnect"));
  const std::string file = File();
  EXPECT_NE(std::string::npos, file.find("garbage\n\"AutoConnect\"=dword:00000001\n"));
  EXPECT_NE(std::string::npos, file.find("\"Email\"=\"third\"\n\"Mode\""));
  EXPECT_EQ(std::string::npos, file.find("second"));
  EXPECT_NE(std::string::npos, file.find("\n\\\"ServerPort\\\"=\\\"1\"\n"));
}

TEST_F(RegistryFileTest, AKeyThatCannotBeReadIsNeitherReadNorWritten) {
  std::filesystem::remove(path_);
  std::filesystem::create_directory(path_);  // unreadable even for root
  EXPECT_FALSE(platform::RegistryWriteString(kKey, "ServerAddress", "x"));
  EXPECT_EQ("(absent)", Read("ServerAddress"));
  // How the listing names a key that cannot be read, or is missing: host/doctor_test.sh.
}

}  // namespace
