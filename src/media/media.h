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
// The master of a photograph (by its number): the same picture at twice the size, 3840x2560,
// for screens larger than 1920x1280 only. Cached like the others until ReleaseMasters.
std::shared_ptr<host::Picture> Master(int photograph);
// A copy of a photograph's master scaled to `size`, decoded and scaled together so that the
// master is never held whole. Not cached: each copy is asked for once.
std::shared_ptr<host::Picture> ScaledMaster(int photograph, host::ScaledSize size);
// A master's copy built into the program (by its number, kMasterCopies), reduced offline for
// the screens of one width. Cached like the masters until ReleaseMasters.
std::shared_ptr<host::Picture> BuiltInCopy(int number);

// Whether a screen this size shows the photographs scaled from the masters: one larger than
// the photographs (1920x1280) in either direction. Smaller screens never touch the masters.
bool UsesMasters(int width, int height);

// What the cache of a sound or photograph (by its number) holds now, without loading it: nil
// before its first use and after ReleaseMedia.
std::shared_ptr<host::Sound> CachedSound(int number);
std::shared_ptr<host::Picture> CachedPicture(int number);

// Drops the masters' caches: once copies at the screen's size are made from them, the masters
// are not needed again (a copy being made keeps its master until it is done).
void ReleaseMasters();

// Drops the caches at the end of the run, in a fixed order. A picture that a window still
// holds stays valid for it.
void ReleaseMedia();

// The media built into the executable, by kind and number.
const host::ResourceTable& EmbeddedResources();

}  // namespace lumorra
