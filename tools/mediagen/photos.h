// The five photographs of the room, developed from the renderer's linear pictures.
#pragma once

#include <filesystem>
#include <string>

namespace mg {

// Reads the renders from `renders` (see loadRenders) and writes lowlight1.jpg, lowlight2.jpg,
// chain1.jpg, chain2.jpg and highlight.jpg into `dir`.
void WritePhotographs(const std::string& renders, const std::filesystem::path& dir);

}  // namespace mg
