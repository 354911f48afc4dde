#pragma once
// Paths as the window code spells them (Windows style, relative to the
// working directory) turned into paths of this file system.

#include <optional>
#include <string>

namespace w32::core {

// "ini\Lights\on.bmp" -> "ini/Lights/ON.BMP" when that is how the file is
// spelt here. Both '\' and '/' separate components; each component matches
// an entry of its folder whatever the case of ASCII letters, as on a Windows
// file system, preferring the exact spelling. Nothing when no entry matches.
std::optional<std::string> ResolveWindowsPath(const std::string& path);

}  // namespace w32::core
