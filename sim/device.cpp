// The attached device, the call record, the prologue every operation runs
// and the entry points by name.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "device/event.h"
#include "device/library.h"
#include "internal.h"

namespace sim {

namespace detail {

namespace {
// The hook lives apart from the device so that Attach keeps it and a hook
// that re-enters the simulator never meets the device lock.
std::mutex gHookMutex;
std::function<void(Op, unsigned)> gHook;

// The link's time, kept to within a fraction of a millisecond: a plain sleep
// overshoots by one to two milliseconds under Wine, hundreds of calls make
// that seconds, and the program would be blamed for the simulator's slack.
// The last two milliseconds are spent yielding instead of sleeping.
void Wait(std::chrono::steady_clock::duration time) {
  constexpr auto kSlack = std::chrono::milliseconds(2);
  const auto deadline = std::chrono::steady_clock::now() + time;
  if (time > kSlack) std::this_thread::sleep_for(time - kSlack);
  while (std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
}

// What CeGetLastError and CeRapiGetError answer; apart from the device so a
// failure can be recorded with or without its lock held.
std::atomic<DWORD> gLastError{0};
std::atomic<HRESULT> gLinkError{0};
constexpr HRESULT kNotConnected = static_cast<HRESULT>(0x800708CAu);  // HRESULT of ERROR_NOT_CONNECTED

DWORD InjectedError(Op op) {
  switch (op) {
    case Op::CeWriteFile: return 112;  // ERROR_DISK_FULL
    case Op::CeReadFile: return 30;    // ERROR_READ_FAULT
    case Op::CeRegOpenKeyEx:
    case Op::CeRegCloseKey:
    case Op::CeRegQueryValueEx:
    case Op::CeRegCreateKeyEx:
    case Op::CeRegSetValueEx:
    case Op::CeRegDeleteKey: return ERROR_ACCESS_DENIED;
    default: return 31;  // ERROR_GEN_FAILURE
  }
}
bool AsksForError(Op op) { return op == Op::CeRapiGetError || op == Op::CeGetLastError; }
}  // namespace

void RecordError(DWORD error) { gLastError = error; }

std::unique_lock<std::mutex> Lock() {
  static std::mutex mutex;
  return std::unique_lock(mutex);
}

Device& State() {
  static Device device;
  return device;
}

CallStart Begin(Op op, std::string detail) {
  CallStart start;
  {
    auto lock = Lock();
    Device& device = State();
    // A call with no handheld attached never reached one: the link failed.
    if (!AsksForError(op)) gLinkError = device.attached ? 0 : kNotConnected;
    if (!device.attached) return start;
    const auto index = static_cast<std::size_t>(op);
    start.number = ++device.counts[index];
    const bool inject = device.config.faults.failCall[index] == start.number;
    start.proceed = !inject;
    if (inject) RecordError(InjectedError(op));
    start.link = device.config.link;
    if (device.callLog.is_open())
      device.callLog << OpName(op) << (detail.empty() ? "" : " ") << detail << (inject ? " [injected failure]" : "")
                     << std::endl;
    device.calls.push_back(Call{op, std::move(detail)});
  }
  std::function<void(Op, unsigned)> hook;
  {
    std::lock_guard lock(gHookMutex);
    hook = gHook;
  }
  if (hook) hook(op, start.number);
  if (unsigned ms = start.link.latencyMs + start.link.callLatencyMs[static_cast<std::size_t>(op)]; ms != 0)
    Wait(std::chrono::milliseconds(ms));
  return start;
}

void Pace(const LinkModel& link, std::size_t bytes) {
  if (link.bytesPerSecond > 0 && bytes != 0)
    Wait(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) / link.bytesPerSecond)));
}

HANDLE NewHandle(Device& device, Object object) {
  std::uintptr_t value = device.nextHandle;
  device.nextHandle += 4;
  device.handles.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace detail

const char* OpName(Op op) {
  switch (op) {
#define SIM_OP_NAME(name, called) \
  case Op::name:                  \
    return #name;
    SIM_OPERATIONS(SIM_OP_NAME)
#undef SIM_OP_NAME
  }
  return "?";
}

void Attach(const Config& config) {
  auto lock = detail::Lock();
  detail::Device& device = detail::State();
  device = detail::Device{};
  device.config = config;
  device.attached = true;
  detail::gLastError = 0;
  detail::gLinkError = 0;
  if (config.writeCallLog) device.callLog.open(config.root / "calls.log", std::ios::app);
}

// The record of calls and the open handles stay readable after Detach, so a
// test can look at what a finished run left behind.
void Detach() {
  {
    auto lock = detail::Lock();
    detail::Device& device = detail::State();
    device.attached = false;
    device.startEvent.reset();
    for (auto& [value, object] : device.handles)
      if (auto* file = std::get_if<detail::FileObject>(&object)) file->stream.close();
    device.callLog.close();
  }
  SetCallHook(nullptr);
}

std::vector<Call> Calls() {
  auto lock = detail::Lock();
  return detail::State().calls;
}

unsigned CountCalls(Op op) {
  auto lock = detail::Lock();
  return detail::State().counts[static_cast<std::size_t>(op)];
}

unsigned OpenHandles() {
  auto lock = detail::Lock();
  return static_cast<unsigned>(detail::State().handles.size());
}

void SetCallHook(std::function<void(Op, unsigned)> hook) {
  std::lock_guard lock(detail::gHookMutex);
  detail::gHook = std::move(hook);
}

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
  SIM_OPERATIONS(SIM_ENTRY)
#undef SIM_ENTRY
  if (std::strcmp(name, kSimulatedHandheldMark) == 0) return reinterpret_cast<void*>(&::RavoSimulatedHandheld);
  return nullptr;
}

}  // namespace sim

using namespace sim;
using namespace sim::detail;

// Asked only after a call failed; they themselves cross the link like any
// other call.
extern "C" HRESULT WINAPI CeRapiGetError() {
  const HRESULT link = gLinkError;
  if (!Begin(Op::CeRapiGetError, "").proceed) return link != 0 ? link : static_cast<HRESULT>(0x80004005u);  // E_FAIL
  return link;
}

extern "C" DWORD WINAPI CeGetLastError() {
  if (!Begin(Op::CeGetLastError, "").proceed) return 0;
  return gLastError;
}
