// The status field in any connection state with any account texts and trade
// interval from the server: both texts fit their fields with their NUL, and
// the connected long text begins with the version line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>

#include "src/lifecycle/status.h"
#include "src/plugin/global.h"
#include "src/plugin/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CGlobal g;
  FuzzedDataProvider in(data, size);
  const int state = in.ConsumeIntegralInRange(-1, 5);
  g.m_nTradeInterval = in.ConsumeIntegral<int32_t>();
  g.m_strPlatformBits = in.ConsumeRandomLengthString();
  g.m_strUserName = in.ConsumeRandomLengthString();
  g.m_strEmail = in.ConsumeRemainingBytesAsString();
  PluginStatus status;
  std::memset(&status, 0x7F, sizeof status);
  FillStatus(g, state, &status);
  if (std::memchr(status.szShortMessage, 0, sizeof status.szShortMessage) == nullptr ||
      std::memchr(status.szLongMessage, 0, sizeof status.szLongMessage) == nullptr)
    std::abort();
  if (state == 1 && std::strncmp(status.szLongMessage, kVersionLine, std::strlen(kVersionLine)))
    std::abort();
  return 0;
}
