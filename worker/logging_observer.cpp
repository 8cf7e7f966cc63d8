#include "logging_observer.h"

#include "device/event.h"
#include "log/diagnostic_log.h"
#include "resources/version.h"

namespace {

const char* StageName(InstallStage stage) {
  switch (stage) {
    case InstallStage::ReadingDevice: return "reading the handheld";
    case InstallStage::CardCopy: return "memory-card copy";
    case InstallStage::DeviceInstall: return "install copy";
    case InstallStage::Finished: return "finished";
  }
  return "unknown";
}

const char* ErrorName(InstallError code) {
  switch (code) {
    case InstallError::NotInitialised: return "no usable remote API library, or the start was refused";
    case InstallError::ConnectFailed: return "the start of the link failed";
    case InstallError::NotConnected: return "no connection within the time limit";
    case InstallError::NotQ58: return "not a Q58";
    case InstallError::NotInstalled: return "ravo+ is not installed (no version file)";
    case InstallError::VersionTooOld: return "the installed version is too old";
    case InstallError::VersionNewer: return "the installed version is newer";
    case InstallError::InstallerStart: return "the installer could not be started on the handheld";
    case InstallError::InstallCreate: return "the install copy cannot be created";
    case InstallError::Write: return "a chunk could not be written";
    case InstallError::CardCreate: return "the memory-card copy cannot be created";
    case InstallError::DemoOnly: return "a demo program refuses a remote API library that is not the simulated handheld";
  }
  return "the worker stopped";
}

std::string StageText(InstallStage stage) {
  return "stage " + std::to_string(static_cast<unsigned>(stage)) + " (" + StageName(stage) + ")";
}

std::string Quoted(const char* version) {
  std::string quoted(1, '"');
  quoted += diag::Escaped(version != nullptr ? version : "");
  quoted += '"';
  return quoted;
}

}  // namespace

std::string ProgramAndPc() {
  return std::string("RavoVup ") + RAVO_FILE_VERSION_TEXT + " " + diag::ProgramArchitecture() + ", package " +
         RAVO_PACKAGE_VERSION + ", on " + diag::SystemDescription();
}

void LogAttemptStart(bool memoryCard) noexcept {
  diag::Log([&] {
    diag::Event("attempt: " + ProgramAndPc() + "; memory-card copy " + (memoryCard ? "on" : "off"));
  });
}

bool LoggingObserver::CancelledMeanwhile() const {
  return cancel_ != nullptr && WaitForEvent(cancel_, 0) == WaitOutcome::Signalled;
}

void LoggingObserver::OnStage(InstallStage stage) {
  stage_ = stage;
  percent_ = -1;
  if (stage == InstallStage::Finished) ending_ = Ending::Finished;
  diag::Log([&] { diag::Event(StageText(stage)); });
  ForwardingObserver::OnStage(stage);
}

void LoggingObserver::OnProgress(int percent, bool copyEnded) {
  percent_ = percent;
  ForwardingObserver::OnProgress(percent, copyEnded);
}

void LoggingObserver::OnError(InstallError code, const char* version) {
  diag::Log([&] {
    std::string line = "error " + std::to_string(static_cast<unsigned>(code)) + ": " + ErrorName(code);
    if (version != nullptr) line += ", version " + Quoted(version);
    diag::Event(line);
  });
  ForwardingObserver::OnError(code, version);
  // The run ends after an error, so looking at the event costs it nothing.
  if (CancelledMeanwhile()) {
    errorAfterCancel_ = true;
  } else {
    ending_ = Ending::Error;
  }
  error_ = code;
}

bool LoggingObserver::ConfirmNewerVersion(const char* version) {
  diag::Log([&] {
    diag::Event("question: the installed version " + Quoted(version) + " is newer than " RAVO_PACKAGE_VERSION);
  });
  const bool yes = ForwardingObserver::ConfirmNewerVersion(version);
  if (yes) {
    diag::Event("answer: yes, go on");
  } else if (CancelledMeanwhile()) {
    diag::Event("answer: none, the attempt was cancelled");
  } else {
    diag::Event("answer: no");
    ending_ = Ending::Declined;
  }
  return yes;
}

void LoggingObserver::LogResult() const noexcept {
  diag::Log([&] {
    switch (ending_) {
      case Ending::Finished:
        diag::Event("result: done");
        return;
      case Ending::Error:
        diag::Event("result: failed with code " + std::to_string(static_cast<unsigned>(error_)));
        return;
      case Ending::Declined:
        diag::Event("result: not revised, the newer version was kept");
        return;
      case Ending::None:
        diag::Event("result: cancelled in " + StageText(stage_) +
                    (percent_ < 0 ? std::string() : " at " + std::to_string(percent_) + " %") +
                    (errorAfterCancel_ ? "; error " + std::to_string(static_cast<unsigned>(error_)) +
                                             " came after the cancel"
                                       : std::string()));
        return;
    }
  });
}
