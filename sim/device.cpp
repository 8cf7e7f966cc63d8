// The attached device, the call record and the prologue every operation runs.
#include <chrono>
#include <thread>

#include "device/event.h"
#include "sim/internal.h"

namespace sim {

namespace detail {

namespace {
std::mutex& Mutex() {
  static std::mutex mutex;
  return mutex;
}
// The hook lives apart from the device so that Attach keeps it and a hook
// that re-enters the simulator never meets the device lock.
std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}
std::function<void(Op, unsigned)>& Hook() {
  static std::function<void(Op, unsigned)> hook;
  return hook;
}
}  // namespace

std::unique_lock<std::mutex> Lock() { return std::unique_lock(Mutex()); }

Device& State() {
  static Device device;
  return device;
}

CallStart Begin(Op op, std::string detail) {
  CallStart start;
  {
    auto lock = Lock();
    Device& device = State();
    if (!device.attached) return start;
    const auto index = static_cast<std::size_t>(op);
    start.attached = true;
    start.number = ++device.counts[index];
    unsigned failAt = device.config.faults.failCall[index];
    start.inject = failAt != 0 && failAt == start.number;
    start.link = device.config.link;
    if (device.callLog.is_open()) {
      device.callLog << OpName(op) << (detail.empty() ? "" : " ") << detail << (start.inject ? " [injected failure]" : "") << '\n';
      device.callLog.flush();
    }
    device.calls.push_back(Call{op, std::move(detail)});
  }
  std::function<void(Op, unsigned)> hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  if (hook) hook(op, start.number);
  if (start.link.latencyMs != 0) std::this_thread::sleep_for(std::chrono::milliseconds(start.link.latencyMs));
  return start;
}

void Pace(const LinkModel& link, std::size_t bytes) {
  if (link.bytesPerSecond <= 0 || bytes == 0) return;
  std::this_thread::sleep_for(std::chrono::duration<double>(static_cast<double>(bytes) / link.bytesPerSecond));
}

HANDLE NewHandle(Device& device, Object object) {
  std::uintptr_t value = device.nextHandle;
  device.nextHandle += 4;
  device.handles.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

void CloseStartEvent(Device& device) {
  device.startEvent.reset();
}

void SetHook(std::function<void(Op, unsigned)> hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

}  // namespace detail

const char* OpName(Op op) {
  switch (op) {
#define SIM_OP_NAME(name, called) \
  case Op::name:                  \
    return #name;
    DEVICE_API_OPERATIONS(SIM_OP_NAME)
#undef SIM_OP_NAME
  }
  return "?";
}

void Attach(const Config& config) {
  auto lock = detail::Lock();
  detail::Device& device = detail::State();
  detail::CloseStartEvent(device);
  device = detail::Device{};
  device.config = config;
  device.attached = true;
  if (config.writeCallLog) device.callLog.open(config.root / "calls.log", std::ios::app);
}

// The record of calls and the open handles stay readable after Detach, so a
// test can look at what a finished run left behind.
void Detach() {
  {
    auto lock = detail::Lock();
    detail::Device& device = detail::State();
    device.attached = false;
    detail::CloseStartEvent(device);
    for (auto& [value, object] : device.handles)
      if (auto* file = std::get_if<detail::FileObject>(&object)) file->stream.close();
    device.callLog.close();
  }
  detail::SetHook(nullptr);
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

void SetCallHook(std::function<void(Op, unsigned)> hook) { detail::SetHook(std::move(hook)); }

}  // namespace sim
