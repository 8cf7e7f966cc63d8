#include "log/diagnostic_log.h"

namespace diag {

void Event(std::string_view) {}

void AlsoWriteTo(const std::wstring&) {}

}  // namespace diag
