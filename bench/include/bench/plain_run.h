// The yardstick of the transfer figures: the remote calls of one revision-up
// (install copy only) made straight through the simulated handheld, as a
// plain loop would make them, with no worker around them: no notifications,
// no cancel polls, no owners.
#pragma once

#include <vector>

#include "device/ce_types.h"

struct PlainTimes {
  double whole;  // start of the link to its end
  double copy;   // the chunk writes alone
};

// The simulated handheld must be attached; the calls are those the worker
// makes on a handheld in the same state.
PlainTimes PlainRun(const std::vector<BYTE>& package);
