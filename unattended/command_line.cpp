#include "unattended/command_line.h"

#include <algorithm>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program's name ends at the first blank, or is quoted with no escapes.
std::size_t SkipProgramName(std::string_view line) {
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    i = line.find('"', 1);
    i = i == std::string_view::npos ? line.size() : i + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return i;
}

enum class Switch { None, Quiet, Passive, NoCard, Newer, Log, Check };

bool LooksLikeSwitch(std::string_view word) { return !word.empty() && (word[0] == '/' || word[0] == '-'); }

Switch Recognise(std::string_view word) {
  if (word.size() < 2 || !LooksLikeSwitch(word)) return Switch::None;
  std::string name(word.substr(1));
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  if (name == "quiet") return Switch::Quiet;
  if (name == "passive") return Switch::Passive;
  if (name == "nocard") return Switch::NoCard;
  if (name == "newer") return Switch::Newer;
  if (name == "log") return Switch::Log;
  if (name == "check") return Switch::Check;
  return Switch::None;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  std::size_t i = SkipProgramName(line);
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < line.size() && line[i] == '\\') ++slashes, ++i;
        if (i < line.size() && line[i] == '"') {
          // 2n backslashes and a quote: n backslashes, the quote groups;
          // 2n + 1: n backslashes and a literal quote.
          argument.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(slashes, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';  // "" inside quotes is one quote, still quoted
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool passive = false, check = false;
  // Switches that mean nothing to a version check.
  bool revisionOnly = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    switch (Recognise(arguments[i])) {
      case Switch::Quiet:
        line.quiet = true;
        break;
      case Switch::Passive:
        passive = revisionOnly = true;
        break;
      case Switch::NoCard:
        line.memoryCard = false;
        revisionOnly = true;
        break;
      case Switch::Newer:
        line.acceptNewer = true;
        revisionOnly = true;
        break;
      case Switch::Check:
        check = true;
        break;
      case Switch::Log:
        // "/log /quiet" is a forgotten name, not a file called "/quiet".
        if (i + 1 < arguments.size() && !arguments[i + 1].empty() &&
            Recognise(arguments[i + 1]) == Switch::None) {
          line.logFile = arguments[++i];
        } else {
          line.valid = false;
        }
        break;
      case Switch::None:
        if (LooksLikeSwitch(arguments[i]))
          line.valid = false;
        else
          line.ignored.push_back(arguments[i]);
        break;
    }
  }
  if (line.quiet && passive) line.valid = false;
  if (check && revisionOnly) line.valid = false;
  line.mode = check         ? RunMode::Check
              : line.quiet  ? RunMode::Quiet
              : passive     ? RunMode::Passive
                            : RunMode::Interactive;
  if (line.mode != RunMode::Interactive && !line.ignored.empty()) line.valid = false;
  return line;
}
