#include "db/settings.h"

#include <cstdlib>

#include "db/connection.h"
#include "db/quoting.h"
#include "db/statements.h"
#include "platform/registry.h"
#include "plugin/global.h"

const char kSettingsKey[] = "Software\\ZUZ\\Velmora\\Velmora";

namespace {

// Texts pass through a 512-byte buffer: at most 511 characters.
constexpr size_t kMaxText = 511;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(std::string text) {
  size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && IsSpace(text[begin])) ++begin;
  return text.substr(begin, end - begin);
}

// Every text that derives from the settings.
void RebuildDerivedTexts(CGlobal& g) {
  SetQuoteChars(g);
  BuildConnectString(g);
  BuildEodColumnList(g);
  BuildIntradayColumnList(g);
  BuildRealtimeColumnList(g);
}

}  // namespace

bool RegWriteString(std::string key, std::string name, std::string text) {
  size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  text.resize(end < kMaxText ? end : kMaxText);
  return platform::RegistryWriteString(key, name, text);
}

bool RegWriteNumber(std::string key, std::string name, uint32_t value) {
  return platform::RegistryWriteNumber(key, name, value);
}

std::string RegReadString(std::string key, std::string name) {
  std::string text;
  if (!platform::RegistryReadString(key, name, &text)) return std::string();
  if (text.size() > kMaxText) text.resize(kMaxText);
  return text;
}

uint32_t RegReadNumber(std::string key, std::string name) {
  uint32_t value = 0;
  return platform::RegistryReadNumber(key, name, &value) ? value : 0;
}

void LoadSettings(CGlobal& g) {
  g.m_strServerAddress = RegReadString(kSettingsKey, "ServerAddress");
  g.m_strServerPort = RegReadString(kSettingsKey, "ServerPort");
  g.m_nDialect = 0;
  RebuildDerivedTexts(g);
  g.m_strUserName = RegReadString(kSettingsKey, g.m_strUserNameKey);
  g.m_strEmail = RegReadString(kSettingsKey, g.m_strEmailKey);
  g.m_bAutoConnect = static_cast<int32_t>(RegReadNumber(kSettingsKey, "AutoConnect"));
  g.m_strClientId = InstallationId();
}

std::string InstallationId() {
  // Machines cloned from one image share their identifier; the environment
  // can give each installation its own.
  const char* id = std::getenv("VELMORA_CLIENT_ID");
  return Trim(id != nullptr && *id != '\0' ? id : platform::MachineIdentifier());
}

void SaveSettings(CGlobal& g) {
  RegWriteString(kSettingsKey, g.m_strUserNameKey, g.m_strUserName);
  RegWriteString(kSettingsKey, g.m_strEmailKey, g.m_strEmail);
  RegWriteNumber(kSettingsKey, "AutoConnect", static_cast<uint32_t>(g.m_bAutoConnect));
  RebuildDerivedTexts(g);
}
