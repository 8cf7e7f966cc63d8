// The exported entry points by name, as the library loader finds them.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "sim/internal.h"

// Every operation has exactly the type the operation table expects.
#define SIM_SAME_TYPE(name, called) \
  static_assert(std::is_same_v<decltype(&::name), devapi::name>, #name " differs from the operation table");
DEVICE_API_OPERATIONS(SIM_SAME_TYPE)
#undef SIM_SAME_TYPE

namespace sim {

void* Entry(const char* name) {
  if (name == nullptr) return nullptr;
  {
    auto lock = detail::Lock();
    const detail::Device& device = detail::State();
    const auto& omit = device.config.faults.omit;
    if (device.attached && std::find(omit.begin(), omit.end(), name) != omit.end()) return nullptr;
  }
#define SIM_ENTRY(op, called) \
  if (std::strcmp(name, #op) == 0) return reinterpret_cast<void*>(&::op);
  DEVICE_API_OPERATIONS(SIM_ENTRY)
#undef SIM_ENTRY
  return nullptr;
}

}  // namespace sim
