// A simulated handheld: the eighteen remote operations over a folder on the
// PC. Linked into the native tests, and built as rapi.dll for the Windows
// program under Wine (configured there by the RAVO_SIM_DIR variable).
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "device/device_api.h"

namespace sim {

// The eighteen, then the two optional ones that say why a call failed.
#define SIM_OPERATIONS(X) DEVICE_API_OPERATIONS(X) DEVICE_API_OPTIONAL_OPERATIONS(X)

enum class Op {
#define SIM_OP_ENUM(name, required) name,
  SIM_OPERATIONS(SIM_OP_ENUM)
#undef SIM_OP_ENUM
};
constexpr int kOpCount = static_cast<int>(Op::CeGetLastError) + 1;
const char* OpName(Op op);

enum class StartMode {
  Succeed,      // the start event is signalled with a success result
  Refuse,       // CeRapiInitEx returns a failure HRESULT
  Fail,         // the start event is signalled with a failure result
  Never,        // the start event is never signalled
  BrokenEvent,  // CeRapiInitEx succeeds but hands back no usable event
};

struct Faults {
  StartMode start = StartMode::Succeed;
  // failCall[op] = N: the N-th call (1-based) of that operation fails with the
  // platform's failure value (-1 handle, FALSE, a nonzero registry error) and
  // leaves its error for CeGetLastError: 112 (disk full) for a write, 30 (read
  // fault) for a read, 5 (access denied) for the registry, 31 (device not
  // functioning) for the rest. 0: never.
  std::array<unsigned, kOpCount> failCall{};
  // The N-th CeWriteFile succeeds but writes and reports fewer bytes.
  unsigned shortWriteAt = 0;
  // Entry points that Entry() does not give out.
  std::vector<std::string> omit;
};

struct LinkModel {
  double bytesPerSecond = 0;  // 0: unlimited
  unsigned latencyMs = 0;     // added to every call
  // callLatencyMs[op]: added to every call of that operation, on top.
  std::array<unsigned, kOpCount> callLatencyMs{};
};

struct Config {
  std::filesystem::path root;
  Faults faults;
  LinkModel link;
  int dpi = 96;              // what CeGetDesktopDeviceCaps(LOGPIXELSX) returns
  bool writeCallLog = true;  // append every call to <root>/calls.log
};

// Reads <root>/sim.ini (absent file: defaults).
Config LoadConfig(const std::filesystem::path& root);

// Process-wide: the operations act on the attached device.
void Attach(const Config& config);
void Detach();

struct Call {
  Op op;
  std::string detail;  // arguments in UTF-8, e.g. the path or key
};
std::vector<Call> Calls();
unsigned CountCalls(Op op);
// Handles (files, keys, process handles) opened and not yet closed.
unsigned OpenHandles();

// Runs at the start of every call with its operation and 1-based count,
// before faults apply: a test can signal a cancel from inside a chosen call.
void SetCallHook(std::function<void(Op, unsigned)> hook);

// An entry point by its exported name; null if not provided or omitted.
void* Entry(const char* name);

}  // namespace sim
