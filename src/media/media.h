#pragma once

#include <memory>

#include "host/picture.h"
#include "host/resources.h"
#include "host/sound.h"

namespace lumorra {

// The program's media (their numbers are in media_table.def), each loaded from the
// application's resources on first use and kept for the whole run. A load that gives nil is not
// kept, so the next call asks again.
std::shared_ptr<host::Sound> chain();        // a pull on the chain
std::shared_ptr<host::Sound> quiet();        // the scene opens
std::shared_ptr<host::Sound> showers();      // the lit room
std::shared_ptr<host::Picture> chain1();     // lit
std::shared_ptr<host::Picture> chain2();     // lit, chain pulled
std::shared_ptr<host::Picture> highlight();  // the flash
std::shared_ptr<host::Picture> lowlight1();  // dark
std::shared_ptr<host::Picture> lowlight2();  // dark, chain pulled

// The caches, nil until loaded.
namespace cache {
extern std::shared_ptr<host::Sound> chain_snd, quiet_snd, showers_snd;
extern std::shared_ptr<host::Picture> chain1_permapic, chain2_permapic, highlight_permapic,
    lowlight1_permapic, lowlight2_permapic;
}  // namespace cache

// Drops the caches at the end of the run, in a fixed order. A picture that a window still
// holds stays valid for it.
void ReleaseMedia();

// The media built into the executable, by kind and number.
const host::ResourceTable& EmbeddedResources();

}  // namespace lumorra
