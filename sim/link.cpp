// Starting and ending the remote API, in each of the ways a real link can
// behave, and the display query.
#include "device/event.h"
#include "sim/internal.h"

using namespace sim;
using namespace sim::detail;

namespace {
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);        // E_FAIL
constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057u);  // E_INVALIDARG

void CloseStartEvent(Device& device) { device.startEvent.reset(); }
}  // namespace

#ifdef RAVO_SIM_DLL
namespace sim::detail {
void ReloadFromEnvironment();  // win32/dll_main.cpp
}
#endif

extern "C" BOOL WINAPI RavoSimulatedHandheld() { return TRUE; }

extern "C" HRESULT WINAPI CeRapiInitEx(RAPIINIT* init) {
#ifdef RAVO_SIM_DLL
  // Each start reads sim.ini afresh, so a test can change it between runs.
  ReloadFromEnvironment();
#endif
  CallStart start = Begin(Op::CeRapiInitEx, init == nullptr ? "(null)" : "cbSize=" + std::to_string(init->cbSize));
  if (!start.proceed) return kFail;
  // A record of another size means the caller was built with another layout.
  if (init == nullptr || init->cbSize != sizeof(RAPIINIT)) return kInvalidArg;

  auto lock = Lock();
  Device& device = State();
  const StartMode mode = device.config.faults.start;
  if (mode == StartMode::Refuse) return kFail;
  // A start left pending by a caller that never ended it is abandoned.
  CloseStartEvent(device);
  init->hrRapiInit = 0;
  init->heRapiInit = nullptr;
  if (mode == StartMode::BrokenEvent) return 0;
  device.startEvent = UniqueEvent(CreateAutoResetEvent());
  init->heRapiInit = device.startEvent.get();
  if (mode == StartMode::Succeed || mode == StartMode::Fail) {
    init->hrRapiInit = mode == StartMode::Fail ? kFail : 0;
    SignalEvent(device.startEvent.get());
  }
  return 0;
}

extern "C" HRESULT WINAPI CeRapiUninit() {
  if (!Begin(Op::CeRapiUninit, "").proceed) return kFail;
  auto lock = Lock();
  CloseStartEvent(State());
  return 0;
}

extern "C" INT WINAPI CeGetDesktopDeviceCaps(INT index) {
  if (!Begin(Op::CeGetDesktopDeviceCaps, std::to_string(index)).proceed) return 0;
  auto lock = Lock();
  return index == LOGPIXELSX ? State().config.dpi : 0;
}
