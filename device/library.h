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

class LinkHost {
 public:
  // Null when the library cannot be loaded.
  virtual std::unique_ptr<Library> LoadRemoteApi() = 0;
  // Brackets the wait for the remote API's start.
  virtual void ShowBusy(bool on) = 0;

 protected:
  ~LinkHost() = default;
};
