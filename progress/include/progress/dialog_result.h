// The results the progress dialog ends with, which the main dialog reads.
#pragma once

inline constexpr int kResultDone = 1;    // the main dialog closes
inline constexpr int kResultFailed = 2;  // failed, refused or cancelled: back to the main dialog
