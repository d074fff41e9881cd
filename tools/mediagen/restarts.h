// Restart markers for the masters, added losslessly when the program is built.
#pragma once

#include <string>

namespace mg {

// Writes the JPEG at `from` to `to` with a restart marker before each row of blocks (MCUs): the
// same coefficients, so the same pixels, with the Huffman tables fitted again. The program can
// then decode the rows in parts, each part on its own thread, from the marker where it begins.
// Throws std::runtime_error with a one-line message on failure.
void WriteWithRestarts(const std::string& from, const std::string& to);

}  // namespace mg
