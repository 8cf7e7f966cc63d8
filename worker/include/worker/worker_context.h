// What the install worker reads from whoever starts it, all of it set before
// the worker starts and unchanged while it runs.
#pragma once

#include <optional>

#include "device/ce_types.h"
#include "device/library.h"
#include "worker/install_observer.h"

struct WorkerContext {
  InstallObserver* observer;  // never null; told everything the run does
  HANDLE cancelEvent;         // auto-reset; signalled to ask the worker to stop
  DWORD memoryCard;           // nonzero: also copy the package to the memory card
};

// The installer package, read in place; never copied.
struct Package {
  const BYTE* bytes;
  DWORD size;
};

// Everything the worker needs from its platform besides the notifications:
// the remote API library, the busy indication and the embedded package.
class WorkerHost : public LinkHost {
 public:
  // Looks up the package named "CABFILE"; empty when the program carries none.
  virtual std::optional<Package> FindPackage() = 0;

 protected:
  ~WorkerHost() = default;
};
