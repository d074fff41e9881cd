#include "host/keys.h"

namespace host {

char LatinLetter(KeySym symbol) {
  // Keysyms of the Latin letters are their ASCII codes; the same letters given as Unicode
  // keysyms carry the code point above 0x1000000.
  if (symbol >= 0x1000000) symbol -= 0x1000000;
  if (symbol >= 'a' && symbol <= 'z') return static_cast<char>(symbol);
  if (symbol >= 'A' && symbol <= 'Z') return static_cast<char>(symbol - 'A' + 'a');
  return 0;
}

namespace {

// Whether a key symbol types a character of the Latin script or one shared by all scripts
// (digits, punctuation); false for letters of other scripts and for keys that type nothing.
bool TypesLatinCharacter(KeySym symbol) {
  // Unicode keysyms carry the code point above 0x1000000; below 0x100 keysyms are Latin-1 code
  // points, and 0x1a1 to 0x3fe and 0x13bc to 0x13be hold the other Latin sets (Latin-2, -3,
  // -4, -9). Other scripts, keypad, function and dead keys lie elsewhere.
  if (symbol >= 0x1000000) {
    const KeySym point = symbol - 0x1000000;
    // Basic Latin through Latin Extended-B, without the control characters.
    return (point >= 0x20 && point < 0x7f) || (point >= 0xa0 && point < 0x250);
  }
  return (symbol >= 0x20 && symbol < 0x7f) || (symbol >= 0xa0 && symbol <= 0xff) ||
         (symbol >= 0x1a1 && symbol <= 0x3fe) || (symbol >= 0x13bc && symbol <= 0x13be);
}

}  // namespace

char ShortcutLetter(const std::vector<KeySym>& symbols, int active, char usLetter) {
  if (active >= 0 && active < static_cast<int>(symbols.size())) {
    const KeySym own = symbols[static_cast<std::size_t>(active)];
    if (char letter = LatinLetter(own)) return letter;
    if (TypesLatinCharacter(own)) return 0;
  }
  for (KeySym symbol : symbols) {
    if (char letter = LatinLetter(symbol)) return letter;
  }
  for (KeySym symbol : symbols) {
    if (TypesLatinCharacter(symbol)) return 0;
  }
  return LatinLetter(static_cast<unsigned char>(usLetter));
}

}  // namespace host
