#pragma once

#include <functional>
#include <future>

namespace host {

// Runs jobs one after another, in the order given, on one background thread. Decoding the
// media there lets start-up open the window on the main thread meanwhile; one thread (not one
// per job) keeps the first picture needed first in line and leaves the other core free.
std::shared_future<void> RunInBackground(std::function<void()> job);

}  // namespace host
