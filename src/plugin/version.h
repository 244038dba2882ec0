// The plug-in's version and names, one place for all their forms: the
// identity record, the text sent at registration, the status area's line,
// the DLL's version resource (the resource compiler reads the macros only)
// and the release's file names (scripts/release reads the three numbers).
#ifndef VELMORA_PLUGIN_VERSION_H_
#define VELMORA_PLUGIN_VERSION_H_

#define VELMORA_VERSION_MAJOR 1
#define VELMORA_VERSION_MINOR 2
#define VELMORA_VERSION_RELEASE 2

#define VELMORA_PRODUCT_NAME "Velmora Data Plug-in"
#define VELMORA_VENDOR_NAME "Velmora"

#define VELMORA_TEXT_OF(x) #x
#define VELMORA_TEXT(x) VELMORA_TEXT_OF(x)
// "1.2.2"
#define VELMORA_VERSION_TEXT                                           \
  VELMORA_TEXT(VELMORA_VERSION_MAJOR) "." VELMORA_TEXT(VELMORA_VERSION_MINOR) "." \
      VELMORA_TEXT(VELMORA_VERSION_RELEASE)

#ifndef RC_INVOKED
// major × 10000 + minor × 100 + release: 10202
inline constexpr int kVersionNumber =
    VELMORA_VERSION_MAJOR * 10000 + VELMORA_VERSION_MINOR * 100 + VELMORA_VERSION_RELEASE;
// The four-part form the server registers: "1.2.2.0"
inline constexpr char kVersionFourPart[] = VELMORA_VERSION_TEXT ".0";
// The status area's form: "Version 1.2.2"
inline constexpr char kVersionLine[] = "Version " VELMORA_VERSION_TEXT;

#endif  // RC_INVOKED

#endif  // VELMORA_PLUGIN_VERSION_H_
