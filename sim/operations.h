// The remote operations as the simulated handheld exports them,
// declared from the operation table itself: a definition whose parameters
// differ from the published ones then fails to build.
#pragma once

#include <type_traits>

#include "device/device_api.h"
#include "sim/sim.h"

extern "C" {
#define SIM_DECLARE(name, called) std::remove_pointer_t<devapi::name> name;
SIM_OPERATIONS(SIM_DECLARE)
#undef SIM_DECLARE
// Says only that this library is the simulated handheld (kSimulatedHandheldMark):
// a demo program uses no other. Nothing calls it.
BOOL WINAPI RavoSimulatedHandheld();
}
