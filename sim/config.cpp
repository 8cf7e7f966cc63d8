// sim.ini: how the simulated handheld behaves, one key=value a line.
#include <charconv>
#include <iostream>

#include "internal.h"

namespace sim {

namespace {
template <typename Number>
bool ParseNumber(const std::string& text, Number& out) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

// Applies one setting; a text saying what is wrong, or empty.
std::string Apply(Config& config, const std::string& key, const std::string& value) {
  if (key == "start") {
    const char* names[] = {"succeed", "refuse", "fail", "never", "broken-event"};
    for (int mode = 0; mode < 5; ++mode)
      if (value == names[mode]) {
        config.faults.start = static_cast<StartMode>(mode);
        return {};
      }
    return "start must be succeed, refuse, fail, never or broken-event";
  }
  if (key.rfind("fail.", 0) == 0) {
    for (int op = 0; op < kOpCount; ++op)
      if (key.substr(5) == OpName(static_cast<Op>(op)))
        return ParseNumber(value, config.faults.failCall[op]) ? "" : "expected the number of the call to fail";
    return "no operation named " + key.substr(5);
  }
  if (key.rfind("latency.", 0) == 0) {
    for (int op = 0; op < kOpCount; ++op)
      if (key.substr(8) == OpName(static_cast<Op>(op)))
        return ParseNumber(value, config.link.callLatencyMs[op]) ? "" : "expected milliseconds";
    return "no operation named " + key.substr(8);
  }
  if (key == "bytes_per_second")
    return ParseNumber(value, config.link.bytesPerSecond) && config.link.bytesPerSecond >= 0
               ? ""
               : "expected a number of bytes, 0 for no limit";
  if (key == "latency_ms") return ParseNumber(value, config.link.latencyMs) ? "" : "expected milliseconds";
  return "unknown key";
}
}  // namespace

Config LoadConfig(const std::filesystem::path& root) {
  Config config;
  config.root = root;
  std::ifstream in(root / "sim.ini");
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    std::string line = detail::Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    auto equals = line.find('=');
    Config changed = config;
    std::string problem =
        equals == std::string::npos
            ? "expected key=value"
            : Apply(changed, detail::Trim(line.substr(0, equals)), detail::Trim(line.substr(equals + 1)));
    if (problem.empty())
      config = changed;
    else
      std::cerr << detail::Utf8Of(root / "sim.ini") << ":" << number << ": " << problem << ", ignored: " << line
                << "\n";
  }
  return config;
}

}  // namespace sim
