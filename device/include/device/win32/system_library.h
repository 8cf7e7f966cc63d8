// Loads the remote API library from the system directory only: a plain-name
// search would also look in the program's folder and the current directory,
// where a planted DLL would run with the user's rights.
#pragma once

#include <memory>

#include "device/library.h"

std::unique_ptr<Library> LoadSystemLibrary(const wchar_t* fileName);
