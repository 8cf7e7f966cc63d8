// What a revision-up reports while it runs, and the one question it asks.
// The worker calls its observer on its own thread and waits for each call to
// return; whoever watches (the progress dialog, a log, a script's answers)
// implements the interface, and one observer may wrap another to add to it.
#pragma once

#include <cstdint>

// The stages in the order a run passes them. The values are the codes the
// progress dialog has always received.
enum class InstallStage : std::uint32_t {
  ReadingDevice = 0,  // first thing, before connecting
  CardCopy = 1,       // the memory-card copy starts
  DeviceInstall = 2,  // the install copy starts
  Finished = 3,       // both copies done and the installer started
};

// Why a run ended early; every value is a code the user may be shown.
enum class InstallError : std::uint32_t {
  NotInitialised = 1,  // no usable remote API library, or the start was refused
  ConnectFailed = 2,   // the start completed with a failure
  NotConnected = 3,    // no start within the time limit
  NotQ58 = 4,          // has a box ready; no check of the model is made
  NotInstalled = 6,    // the version file cannot be opened
  VersionTooOld = 7,   // comes with the installed version text
  VersionNewer = 8,    // asked as a question, never reported as an error
  InstallerStart = 9,  // both copies made, but the handheld did not start the installer
  InstallCreate = 11,  // the install copy cannot be created
  Write = 12,          // a chunk could not be written, in either copy
  CardCreate = 13,     // the memory-card copy cannot be created
  // A demo program met a remote API library that is not the simulated
  // handheld; it has a box of its own and exits as code 1 does.
  DemoOnly = 0x101,
};

// Version texts are the NUL-terminated bytes the handheld's file holds (code
// page 932), valid only for the length of the call.
class InstallObserver {
 public:
  virtual void OnStage(InstallStage stage) = 0;
  // The share of the current copy written so far, 0 to 100; `copyEnded` is
  // set once, on the last report of a copy.
  virtual void OnProgress(int percent, bool copyEnded) = 0;
  // The run ends after this. `version` is the installed version text for
  // VersionTooOld and null for every other code.
  virtual void OnError(InstallError code, const char* version) = 0;
  // The installed version is newer than the package's: true goes on with the
  // revision-up, false ends the run.
  virtual bool ConfirmNewerVersion(const char* version) = 0;

 protected:
  ~InstallObserver() = default;
};

// Passes every report and the question on to another observer; derive from
// it to watch a run without changing its course, and override only what is
// watched.
class ForwardingObserver : public InstallObserver {
 public:
  explicit ForwardingObserver(InstallObserver& inner) : inner_(inner) {}

  void OnStage(InstallStage stage) override { inner_.OnStage(stage); }
  void OnProgress(int percent, bool copyEnded) override { inner_.OnProgress(percent, copyEnded); }
  void OnError(InstallError code, const char* version) override { inner_.OnError(code, version); }
  bool ConfirmNewerVersion(const char* version) override { return inner_.ConfirmNewerVersion(version); }

 protected:
  ~ForwardingObserver() = default;

 private:
  InstallObserver& inner_;
};
