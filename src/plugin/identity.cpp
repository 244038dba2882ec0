#include "plugin/identity.h"

#include "plugin/version.h"

namespace {

// Four characters packed with the first in the most significant byte.
constexpr int32_t PackId(char a, char b, char c, char d) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                              static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

}  // namespace

const PluginInfo kPluginIdentity = {
    sizeof(PluginInfo),
    2,      // data plug-in
    kVersionNumber,
    PackId('V', 'e', 'l', 'm'),
    VELMORA_PRODUCT_NAME,
    VELMORA_VENDOR_NAME,
    0,
    387000,
};
