// The program's command line: switches in the manner of Windows installers,
// for runs that nobody sits in front of. A switch starts with '/' or '-' and
// is matched in any case (/quiet, -Quiet).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class RunMode {
  Interactive,  // the main dialog, as without switches
  Passive,      // /passive: the progress dialog only, no question, no box
  Quiet,        // /quiet: no window at all
  Check,        // /check: the installed version read, nothing changed; one box unless /quiet
};

struct CommandLine {
  // False: the line is refused before anything is done (exit code 87).
  bool valid = true;
  // /quiet was given, also on a refused line: no usage box then.
  bool quiet = false;
  RunMode mode = RunMode::Interactive;
  bool memoryCard = true;    // /nocard clears it
  bool acceptNewer = false;  // /newer: the version question is answered Yes
  // /log <file>, as UTF-8; the last one given counts.
  std::optional<std::string> logFile;
  // Words that are no switch, ignored when the main dialog runs: a file
  // dropped onto the program arrives as one.
  std::vector<std::string> ignored;
};

// The arguments of a Windows command line (UTF-8), split as the C runtime
// and CommandLineToArgvW split them: blanks separate, double quotes group,
// backslashes escape a quote. The program's name, first on the line, is left
// out.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Refuses a switch the program does not know, /log without a file name,
// /quiet with /passive, and /check with anything but /quiet and /log. A word
// that does not start with '/' or '-' is ignored when the main dialog runs
// and refused in the other modes, where nobody would see it ignored. The
// word after /log is its file name unless it is empty or one of the switches.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
