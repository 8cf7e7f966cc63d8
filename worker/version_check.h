// A look at the handheld that changes nothing: connect, read the installed
// version as a revision-up reads it, and compare it with the package's.
// No key is opened for writing, no file written, no program started.
#pragma once

#include "device/library.h"
#include "worker/install_observer.h"
#include "worker/version_text.h"

enum class CheckVerdict {
  Latest,        // the package's version is installed
  Outdated,      // from the minimum up to the package's: a revision-up brings it up to date
  Newer,         // sorts after the package's version
  TooOld,        // sorts before the minimum: a revision-up refuses it
  NotInstalled,  // no version file
  NoConnection,  // the link did not start; `connectError` says why
};

struct VersionCheck {
  CheckVerdict verdict = CheckVerdict::NoConnection;
  // NoConnection: the code a revision-up reports for the same failure.
  InstallError connectError = InstallError::NotInitialised;
  // Latest, Outdated, Newer and TooOld: the text that was compared.
  VersionText version;
};

// The version text judged as the revision-up's gate judges it, with the
// package's own version told apart.
CheckVerdict JudgeVersion(const char* version);

VersionCheck CheckInstalledVersion(LinkHost& host);
