// Reads a version file made of arbitrary bytes through the worker's own read
// path, over an in-memory handheld, and checks the text against the rule:
// the second line without carriage returns when the first 260 bytes hold two
// line feeds, else everything read.
#pragma once

#include <cstddef>
#include <cstdint>

// Aborts on a text that breaks the rule; the sanitizers catch any access out
// of bounds.
void CheckVersionRead(const std::uint8_t* data, std::size_t size);
