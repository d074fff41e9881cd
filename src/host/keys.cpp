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

char ShortcutLetter(const std::vector<KeySym>& symbols, int active, char usLetter) {
  if (active >= 0 && active < static_cast<int>(symbols.size())) {
    if (char letter = LatinLetter(symbols[static_cast<std::size_t>(active)])) return letter;
  }
  for (KeySym symbol : symbols) {
    if (char letter = LatinLetter(symbol)) return letter;
  }
  return LatinLetter(static_cast<unsigned char>(usLetter));
}

}  // namespace host
