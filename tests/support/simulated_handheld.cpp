#include "tests/support/simulated_handheld.h"

#include <stdexcept>

#include "worker/install_worker.h"

SimulatedHandheld::SimulatedHandheld() : cancel(CreateAutoResetEvent()) {
  if (!cancel) throw std::runtime_error("cannot make the cancel event");
  config.root = device.root();
  config.writeCallLog = false;
  host.package = MakePackage(200000);
}

SimulatedHandheld::~SimulatedHandheld() {
  sim::SetCallHook(nullptr);
  sim::Detach();
}

void SimulatedHandheld::Attach() { sim::Attach(config); }

void SimulatedHandheld::Detach() { sim::Detach(); }

void SimulatedHandheld::Run(InstallObserver& observer, bool card) {
  Attach();
  InstallWorker(WorkerContext{&observer, cancel.get(), card ? 1u : 0u}, host);
}

void SimulatedHandheld::FailCall(sim::Op op, unsigned nth) { config.faults.failCall[static_cast<int>(op)] = nth; }

void SimulatedHandheld::CancelInCall(sim::Op which, unsigned nth) {
  HANDLE event = cancel.get();
  sim::SetCallHook([event, which, nth](sim::Op op, unsigned count) {
    if (op == which && count == nth) SignalEvent(event);
  });
}

void SimulatedHandheld::ClearCancel() { WaitForEvent(cancel.get(), 0); }

bool SimulatedHandheld::HoldsPackage(const std::string& devicePath) const {
  return device.Read(devicePath) == host.package;
}
