// version: the program's name and version as shown to the player and written to the log.
#pragma once

namespace vantrel {

constexpr const char* VANTREL_VERSION = "0.1.11 (defe713)";
// The build-variant suffix printed after the version; this build has none.
constexpr const char* VANTREL_VARIANT = "";
constexpr const char* VANTREL_VER_STRING = "$VER: Vantrel 0.1.11 (1.10.2026) defe713";
constexpr const char* VANTREL_MENU_VERSION = "v0.1.11";

} // namespace vantrel
