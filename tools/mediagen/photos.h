// The five photographs of the room, developed from the renderer's linear pictures.
#pragma once

#include <filesystem>
#include <string>

namespace mg {

// Reads the renders from `renders` (see LoadRenders) and writes lowlight1.jpg, lowlight2.jpg,
// chain1.jpg, chain2.jpg and highlight.jpg into `dir`: from renders at twice their size, each
// with its master (lowlight1_2x.jpg ...) of that size beside it.
void WritePhotographs(const std::string& renders, const std::filesystem::path& dir);

}  // namespace mg
