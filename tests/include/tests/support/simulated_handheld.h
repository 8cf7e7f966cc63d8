// Everything a run of the worker against the simulated handheld needs, set
// up and torn down as one object: a fresh handheld folder, its simulator
// configuration, the PC side (library, package) and the cancel event. The
// simulator is process-wide: one object is attached at a time.
#pragma once

#include "device/event.h"
#include "sim/sim.h"
#include "tests/support/device_folder.h"
#include "tests/support/test_host.h"
#include "worker/install_observer.h"

inline constexpr char kCardCopy[] = "\\Storage Card\\Q58ravoInstall.CAB";
inline constexpr char kInstallCopy[] = "\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB";

class SimulatedHandheld {
 public:
  // Not attached yet: the configuration may still change. No call log is
  // written unless asked for.
  SimulatedHandheld();
  // Drops any call hook and detaches.
  ~SimulatedHandheld();
  SimulatedHandheld(const SimulatedHandheld&) = delete;
  SimulatedHandheld& operator=(const SimulatedHandheld&) = delete;

  void Attach();
  void Detach();
  // Attaches and runs the worker to its end on this thread.
  void Run(InstallObserver& observer, bool card = true);

  void FailCall(sim::Op op, unsigned nth);
  // Signals the cancel event from inside the nth call of an operation.
  void CancelInCall(sim::Op which, unsigned nth);
  // Clears a signal that no run looked at, so that the next run starts
  // unsignalled.
  void ClearCancel();

  // A handheld file holds exactly the package.
  bool HoldsPackage(const std::string& devicePath) const;

  DeviceFolder device;
  sim::Config config;
  TestHost host;
  UniqueEvent cancel;
};
