// Figures on a simulated link: a whole revision-up against the link's own
// lower bound, the time from Cancel to the worker's end, whether the package
// is ever copied, and a plot of progress against time.
#pragma once

#include <filesystem>
#include <vector>

#include "device/ce_types.h"

void PrintLinkFigures(const std::vector<BYTE>& package, const std::filesystem::path& plotFile);
