#pragma once

// Which letter a key stands for in a keyboard shortcut. Shortcuts are named by Latin letters,
// but a keyboard may be set to a layout whose keys type other scripts; desktop toolkits then
// match the shortcut by the letter the key carries in a Latin layout, so that Ctrl+Q is the same
// key whichever layout is active.

#include <cstdint>
#include <vector>

namespace host {

// Key symbols as X11's keyboard extension numbers them (libxkbcommon uses the same numbers).
using KeySym = std::uint32_t;

// The key's letter for shortcuts, lowercase, or 0 for a key that has none. `symbols` holds the
// key's unshifted symbol in each of the keyboard's layouts, in their configured order, and
// `active` the index of the layout in use. The active layout's symbol counts if it is a Latin
// letter, and a key that types another character of the Latin script there (a digit, a mark, an
// accented letter) has no letter at all: on a Dvorak keyboard the key where US has its Q types
// an apostrophe, and Ctrl+' is no Ctrl+Q. Otherwise the first layout in which the key is a Latin
// letter counts. Only a key that types nothing of the Latin script in any layout (a Cyrillic or
// Greek letter, say) falls back to `usLetter`, the key's letter in the US layout (0 if none).
char ShortcutLetter(const std::vector<KeySym>& symbols, int active, char usLetter);

// The lowercase Latin letter of a key symbol, or 0.
char LatinLetter(KeySym symbol);

}  // namespace host
