#include <cstdio>
#include <string>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/report.h"

namespace {

std::string IdCode(int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>((code >> shift) & 0xFF);
  return text;
}

}  // namespace

void PrintInfo(HostSession& session, bool json) {
  const PluginInfo& info = session.info;
  AmiVar extra = session.api.GetExtraData("BBCA", "Shares", 0, 86400, nullptr);
  int limit = session.api.GetSymbolLimit();
  int daily = session.api.SetTimeBase(86400);
  int minute = session.api.SetTimeBase(60);
  if (json) {
    nlohmann::ordered_json out;
    out["name"] = info.szName;
    out["vendor"] = info.szVendor;
    out["type"] = info.nType;
    out["version"] = info.nVersion;
    out["id"] = IdCode(info.nIDCode);
    out["certificate"] = info.nCertificate;
    out["minHostVersion"] = info.nMinAmiVersion;
    out["symbolLimit"] = limit;
    out["timeBase86400"] = daily;
    out["timeBase60"] = minute;
    out["extraType"] = extra.type;
    out["extraValue"] = extra.val;
    std::printf("%s\n", JsonText(out).c_str());
    return;
  }
  std::printf("Plug-in:          %s\n", info.szName);
  std::printf("Vendor:           %s\n", info.szVendor);
  std::printf("Version:          %d.%d.%d (%d)\n", info.nVersion / 10000, info.nVersion / 100 % 100,
              info.nVersion % 100, info.nVersion);
  std::printf("Type:             %d%s\n", info.nType, info.nType == 2 ? " (data)" : "");
  std::printf("ID code:          %s (0x%08X)\n", IdCode(info.nIDCode).c_str(),
              static_cast<unsigned>(info.nIDCode));
  std::printf("Min host version: %d\n", info.nMinAmiVersion);
  std::printf("Symbol limit:     %d\n", limit);
  std::printf("Time base 86400:  %d, 60: %d\n", daily, minute);
  std::printf("Extra data:       type %d, value %s\n", extra.type,
              FormatVolume(static_cast<double>(extra.val)).c_str());
}

namespace {

const CommandRegistration kInfo({
    .name = "info",
    .synopsis = "info",
    .summary = "the plug-in's identity and fixed answers",
    .exits = "0 printed, 2 usage error.",
    .define = WithoutArguments([](HostSession& session, const HostOptions& options) {
      PrintInfo(session, options.json);
      return kExitOk;
    }),
    .json = true,
});

}  // namespace
