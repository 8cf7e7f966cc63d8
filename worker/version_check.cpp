#include "worker/version_check.h"

#include "device/rapi_class.h"
#include "log/diagnostic_log.h"
#include "logging_observer.h"
#include "worker/steps.h"

namespace {

const char* VerdictText(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::Latest: return "the package's version is installed";
    case CheckVerdict::Outdated: return "older than " RAVO_PACKAGE_VERSION ", a revision-up brings it up to date";
    case CheckVerdict::Newer: return "newer than " RAVO_PACKAGE_VERSION;
    case CheckVerdict::TooOld: return "older than " RAVO_MINIMUM_VERSION ", which a revision-up refuses";
    case CheckVerdict::NotInstalled: return "no version file, ravo+ is not installed";
    case CheckVerdict::NoConnection: return "no connection";
  }
  return "unknown";
}

// One line for the whole check: which handheld, what was read, the verdict.
void LogCheck(const std::string& handheld, const VersionCheck& check) noexcept {
  diag::Log([&] {
    std::string line = "version check result: ";
    if (check.verdict == CheckVerdict::NoConnection) {
      line += "no connection, code " + std::to_string(static_cast<unsigned>(check.connectError));
    } else {
      if (check.verdict != CheckVerdict::NotInstalled)
        line += "version text \"" + diag::Escaped(check.version.text) + "\", ";
      line += "handheld " + handheld + ": " + VerdictText(check.verdict);
    }
    diag::Event(line);
  });
}

}  // namespace

CheckVerdict JudgeVersion(const char* version) {
  switch (CheckVersion(version)) {
    case Gate::TooOld: return CheckVerdict::TooOld;
    case Gate::Newer: return CheckVerdict::Newer;
    case Gate::Accepted: break;
  }
  return CompareVersionText(version, RAVO_PACKAGE_VERSION) == 0 ? CheckVerdict::Latest : CheckVerdict::Outdated;
}

VersionCheck CheckInstalledVersion(LinkHost& host) {
  diag::Log([&] { diag::Event("version check: " + ProgramAndPc()); });
  VersionCheck check;
  std::string handheld;
  RapiClass rapi(host);
  const ConnectResult connected = rapi.Connect();
  if (connected == ConnectResult::Connected) {
    diag::Log([&] { handheld = DescribeHandheld(rapi.api()); });
    check.verdict = ReadVersionFile(rapi.api(), check.version) ? JudgeVersion(check.version.text)
                                                               : CheckVerdict::NotInstalled;
  } else {
    check.connectError = ConnectError(connected);
  }
  rapi.Disconnect();
  LogCheck(handheld, check);
  return check;
}
