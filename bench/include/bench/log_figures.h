// Figures on the diagnostic log: the same revision-up with and without it,
// on the local folder and on a link, and how many lines a run writes.
#pragma once

#include <vector>

#include "device/ce_types.h"

void PrintLogFigures(const std::vector<BYTE>& package);
