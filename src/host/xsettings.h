#pragma once

// The desktop's settings as X11 desktops publish them: a settings daemon (GNOME's, Xfce's,
// xsettingsd ...) owns the selection _XSETTINGS_S<screen> and keeps every setting in one
// property of its window, in a binary format of its own. Reading the property is the SDL
// backend's; making sense of it is plain data handling and lives here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace host {

// The value of the integer setting `name` in the contents of an _XSETTINGS_SETTINGS property,
// or nothing when the setting is absent, is not an integer, or the data is malformed.
std::optional<std::int32_t> XSettingsInteger(const unsigned char* data, std::size_t size,
                                             std::string_view name);

}  // namespace host
