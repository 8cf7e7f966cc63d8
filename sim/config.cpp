// sim.ini: how the simulated handheld behaves, one key=value a line.
#include <charconv>
#include <iostream>

#include "sim/internal.h"

namespace sim {

namespace detail {
std::optional<Op> OpByName(std::string_view name) {
#define SIM_OP_BY_NAME(op, called) \
  if (name == #op) return Op::op;
  DEVICE_API_OPERATIONS(SIM_OP_BY_NAME)
#undef SIM_OP_BY_NAME
  return std::nullopt;
}
}  // namespace detail

namespace {
template <typename Number>
bool ParseNumber(const std::string& text, Number& out) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  out = value;
  return true;
}

std::optional<StartMode> ParseStart(const std::string& text) {
  if (text == "succeed") return StartMode::Succeed;
  if (text == "refuse") return StartMode::Refuse;
  if (text == "fail") return StartMode::Fail;
  if (text == "never") return StartMode::Never;
  if (text == "broken-event") return StartMode::BrokenEvent;
  return std::nullopt;
}

// Applies one setting; a text saying what is wrong, or empty.
std::string Apply(Config& config, const std::string& key, const std::string& value) {
  if (key == "start") {
    auto mode = ParseStart(value);
    if (!mode) return "start must be succeed, refuse, fail, never or broken-event";
    config.faults.start = *mode;
  } else if (key.rfind("fail.", 0) == 0) {
    auto op = detail::OpByName(key.substr(5));
    if (!op) return "no operation named " + key.substr(5);
    if (!ParseNumber(value, config.faults.failCall[static_cast<std::size_t>(*op)]))
      return "expected the number of the call to fail (0: none)";
  } else if (key == "short_write") {
    if (!ParseNumber(value, config.faults.shortWriteAt)) return "expected the number of the write to shorten";
  } else if (key == "omit") {
    std::vector<std::string> names;
    std::string name;
    for (char c : value + ",") {
      if (c != ',') {
        name += c;
        continue;
      }
      name = detail::Trim(name);
      if (name.empty()) continue;
      if (!detail::OpByName(name)) return "no operation named " + name;
      names.push_back(name);
      name.clear();
    }
    config.faults.omit = names;
  } else if (key == "dpi") {
    if (!ParseNumber(value, config.dpi)) return "expected a whole number";
  } else if (key == "bytes_per_second") {
    double rate = 0;
    if (!ParseNumber(value, rate) || rate < 0) return "expected a number of bytes, 0 for no limit";
    config.link.bytesPerSecond = rate;
  } else if (key == "latency_ms") {
    if (!ParseNumber(value, config.link.latencyMs)) return "expected milliseconds";
  } else if (key == "call_log") {
    if (value != "0" && value != "1") return "expected 0 or 1";
    config.writeCallLog = value == "1";
  } else {
    return "unknown key";
  }
  return {};
}
}  // namespace

Config LoadConfig(const std::filesystem::path& root) {
  Config config;
  config.root = root;
  std::ifstream in(root / "sim.ini");
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    std::string line = detail::Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    auto equals = line.find('=');
    std::string problem =
        equals == std::string::npos
            ? "expected key=value"
            : Apply(config, detail::Trim(line.substr(0, equals)), detail::Trim(line.substr(equals + 1)));
    if (!problem.empty())
      std::cerr << detail::Utf8Of(root / "sim.ini") << ":" << number << ": " << problem << ", ignored: " << line
                << "\n";
  }
  return config;
}

}  // namespace sim
