#pragma once

#include <functional>

// Runs work on a thread of its own and returns once it is done, processing
// the calling thread's events meanwhile: a long write or join keeps the
// window answering, and a stop can reach the work. Without an application
// object, or a thread to be had, the work runs in place.
void RunWhileProcessingEvents(const std::function<void()> &work);
