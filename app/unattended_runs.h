// The runs a command line asks for instead of the main dialog, and the
// usage box of a refused command line.
#pragma once

#include "unattended/command_line.h"

// /quiet: the worker on this thread, with no window. Returns the exit code.
int RunQuiet(const CommandLine& line);
// /passive: the progress dialog alone, with no question and no box; its
// Cancel button gives 1223. Returns the exit code.
int RunPassive(const CommandLine& line);
// /check: connects, reads the installed version and changes nothing; one
// box with the verdict unless /quiet. Returns the exit code.
int RunCheck(const CommandLine& line);
// The switches and exit codes, in a box with OK.
void ShowUsage();
