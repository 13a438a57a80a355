#pragma once

// What Warden needs from the operating system beyond sockets. Each system implements
// these in its own folder (warden/linux/ for Linux).

#include "warden/BurstMover.h"

#include <memory>

namespace warden {

// Makes Warden end when the program that started it ends, however that happens, so a
// crashed tray program never leaves the local port held. False when that program has
// already gone.
bool bindLifetimeToParent();

// Lets Warden use as many descriptors as the system allows it: each relayed connection
// holds two sockets, and a burst in flight two more.
void raiseDescriptorLimit();

// A peer that went away must show up as a write error on that one connection (or on the
// status pipe), not as a signal that ends the process.
void ignoreBrokenPipe();

// The fastest way this system has to move data between two sockets.
std::unique_ptr<BurstMover> makeBurstMover();

} // namespace warden
