// The seam through which the device link loads the remote API library and
// shows that it is busy. Windows loads rapi.dll from the system directory;
// tests hand in a library of their own.
#pragma once

#include <memory>
#include <string>

class Library {
 public:
  virtual ~Library() = default;  // unloads the module
  // Address of an exported entry point, or null when the module lacks it.
  virtual void* Find(const char* name) const = 0;
  // Where the module was loaded from, for the diagnostic log; empty when
  // that is not known.
  virtual std::string Location() const { return {}; }
};

// Exported by the simulated handheld's library alone. A program built with
// the demo package looks for it and uses no library without it, so that the
// demo never touches a real handheld.
inline constexpr char kSimulatedHandheldMark[] = "RavoSimulatedHandheld";

class LinkHost {
 public:
  // Null when the library cannot be loaded.
  virtual std::unique_ptr<Library> LoadRemoteApi() = 0;
  // An entry point without which the library is not used at all: the
  // simulated handheld's mark in a program that carries the demo package,
  // null in a release.
  virtual const char* RequiredMark() const { return nullptr; }
  // Brackets the wait for the remote API's start.
  virtual void ShowBusy(bool on) = 0;

 protected:
  ~LinkHost() = default;
};
