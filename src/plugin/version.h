// The plug-in's version, one place for all its forms: the identity record's
// number, the text sent at registration and the status area's line.
#ifndef VELMORA_PLUGIN_VERSION_H_
#define VELMORA_PLUGIN_VERSION_H_

#define VELMORA_VERSION_MAJOR 1
#define VELMORA_VERSION_MINOR 2
#define VELMORA_VERSION_RELEASE 2

#define VELMORA_TEXT_OF(x) #x
#define VELMORA_TEXT(x) VELMORA_TEXT_OF(x)
// "1.2.2"
#define VELMORA_VERSION_TEXT                                           \
  VELMORA_TEXT(VELMORA_VERSION_MAJOR) "." VELMORA_TEXT(VELMORA_VERSION_MINOR) "." \
      VELMORA_TEXT(VELMORA_VERSION_RELEASE)

// major × 10000 + minor × 100 + release: 10202
inline constexpr int kVersionNumber =
    VELMORA_VERSION_MAJOR * 10000 + VELMORA_VERSION_MINOR * 100 + VELMORA_VERSION_RELEASE;
// The four-part form the server registers: "1.2.2.0"
inline constexpr char kVersionFourPart[] = VELMORA_VERSION_TEXT ".0";
// The status area's form: "Version 1.2.2"
inline constexpr char kVersionLine[] = "Version " VELMORA_VERSION_TEXT;

#endif  // VELMORA_PLUGIN_VERSION_H_
