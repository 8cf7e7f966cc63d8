// Starting and ending the remote API, in each of the ways a real link can
// behave, and the display query.
#include "device/event.h"
#include "sim/internal.h"

using namespace sim;
using namespace sim::detail;

namespace {
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);        // E_FAIL
constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057u);  // E_INVALIDARG

}  // namespace

#ifdef RAVO_SIM_DLL
namespace sim::detail {
void ReloadFromEnvironment();  // win32/dll_main.cpp
}
#endif

extern "C" HRESULT WINAPI CeRapiInitEx(RAPIINIT* init) {
#ifdef RAVO_SIM_DLL
  // Each start reads sim.ini afresh, so a test can change it between runs.
  ReloadFromEnvironment();
#endif
  std::string detail = init == nullptr ? "(null)" : "cbSize=" + std::to_string(init->cbSize);
  CallStart start = Begin(Op::CeRapiInitEx, detail);
  if (!start.attached || start.inject) return kFail;
  // A record of another size means the caller was built with another layout.
  if (init == nullptr || init->cbSize != sizeof(RAPIINIT)) return kInvalidArg;

  auto lock = Lock();
  Device& device = State();
  if (!device.attached) return kFail;
  const StartMode mode = device.config.faults.start;
  if (mode == StartMode::Refuse) return kFail;
  // A start left pending by a caller that never ended it is abandoned.
  CloseStartEvent(device);
  if (mode == StartMode::BrokenEvent) {
    init->heRapiInit = nullptr;
    init->hrRapiInit = 0;
    return 0;
  }
  device.startEvent = CreateAutoResetEvent();
  init->heRapiInit = device.startEvent.get();
  init->hrRapiInit = 0;
  if (mode == StartMode::Succeed || mode == StartMode::Fail) {
    init->hrRapiInit = mode == StartMode::Fail ? kFail : 0;
    SignalEvent(device.startEvent.get());
  }
  return 0;
}

extern "C" HRESULT WINAPI CeRapiUninit() {
  CallStart start = Begin(Op::CeRapiUninit, "");
  if (!start.attached || start.inject) return kFail;
  auto lock = Lock();
  CloseStartEvent(State());
  return 0;
}

extern "C" INT WINAPI CeGetDesktopDeviceCaps(INT index) {
  CallStart start = Begin(Op::CeGetDesktopDeviceCaps, std::to_string(index));
  if (!start.attached || start.inject) return 0;
  auto lock = Lock();
  return index == LOGPIXELSX ? State().config.dpi : 0;
}
