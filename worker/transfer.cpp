#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "device/failed_call.h"
#include "device/remote_handle.h"
#include "log/diagnostic_log.h"
#include "worker/device_paths.h"
#include "worker/steps.h"

namespace {

constexpr DWORD kMaxChunk = 0xFFFF;  // the remote API takes at most 65,535 bytes a write

struct Pass {
  InstallStage stage;
  const WCHAR* target;
  InstallError createError;
  bool card;
};
constexpr Pass kCardPass{InstallStage::CardCopy, device_path::kCardCopy, InstallError::CardCreate, true};
constexpr Pass kInstallPass{InstallStage::DeviceInstall, device_path::kInstallCopy, InstallError::InstallCreate, false};

// 64-bit arithmetic keeps the percentage right for packages of any 32-bit size.
int Percent(DWORD written, DWORD size) { return static_cast<int>(static_cast<std::uint64_t>(written) * 100 / size); }

// The results of these calls change nothing; a failure is only logged.
// `normal`: the error of an ordinary run, see LogFailedCall.
void SetAttributes(const DeviceApi& api, const WCHAR* path, DWORD attributes, DWORD normal = 0) {
  if (!api.CeSetFileAttributes(path, attributes))
    diag::Log([&] {
      LogFailedCall(api, "CeSetFileAttributes",
                    LogText(path) + (attributes == FILE_ATTRIBUTE_READONLY ? " read-only" : " normal"), normal);
    });
}
void Delete(const DeviceApi& api, const WCHAR* path, DWORD normal = 0) {
  if (!api.CeDeleteFile(path)) diag::Log([&] { LogFailedCall(api, "CeDeleteFile", LogText(path), normal); });
}

void PrepareTarget(const DeviceApi& api, const Pass& pass) {
  if (pass.card) {
    // A copy left by an earlier run is read-only; clear that so it can go.
    // No earlier copy is the ordinary case.
    SetAttributes(api, pass.target, FILE_ATTRIBUTE_NORMAL, ERROR_FILE_NOT_FOUND);
    Delete(api, pass.target, ERROR_FILE_NOT_FOUND);
  } else {
    for (const WCHAR* folder : device_path::kInstallFolders)
      if (!api.CeCreateDirectory(folder, nullptr))
        diag::Log([&] { LogFailedCall(api, "CeCreateDirectory", LogText(folder), ERROR_ALREADY_EXISTS); });
  }
}

void LogCopy(const Pass& pass, DWORD written, DWORD size, std::chrono::steady_clock::time_point started) noexcept {
  diag::Log([&] {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char figures[96];
    std::snprintf(figures, sizeof figures, " in %.3f s, %.2f MB/s", seconds,
                  seconds > 0 ? written / seconds / 1e6 : 0.0);
    const std::string bytes = written == size ? std::to_string(size) + " bytes"
                                              : "stopped after " + std::to_string(written) + " of " +
                                                    std::to_string(size) + " bytes";
    diag::Event("copy " + LogText(pass.target) + ": " + bytes + figures);
  });
}

// Writes the package straight from its bytes. True when every byte was
// written and the end announced; false after a failed write (reported) or a
// cancel. The copy's line in the log is written as it ends, before the
// report that may keep the worker waiting on the user.
bool CopyChunks(const DeviceApi& api, const WorkerContext& context, const Pass& pass, const RemoteFile& file,
                const Package& package) {
  InstallObserver& observer = *context.observer;
  const DWORD chunk = std::min(package.size, kMaxChunk);
  const auto started = std::chrono::steady_clock::now();
  DWORD written = 0;
  if (CancelRequested(context)) {
    LogCopy(pass, written, package.size, started);
    return false;
  }
  for (;;) {
    if (package.size != 0) observer.OnProgress(Percent(written, package.size), false);
    if (written >= package.size) {
      LogCopy(pass, written, package.size, started);
      observer.OnProgress(100, true);
      return true;
    }
    const DWORD length = std::min(chunk, package.size - written);
    DWORD done = 0;
    // A write that reports fewer bytes than asked leaves a hole in the file:
    // it counts as failed, like one that reports failure.
    const bool wrote = api.CeWriteFile(file.get(), package.bytes + written, length, &done, nullptr);
    if (!wrote || done != length) {
      diag::Log([&] {
        const std::string what = LogText(pass.target) + " at byte " + std::to_string(written) + ", " +
                                 std::to_string(length) + " bytes";
        if (!wrote)
          LogFailedCall(api, "CeWriteFile", what);
        else
          diag::Event("CeWriteFile " + what + ": only " + std::to_string(done) + " written");
      });
      LogCopy(pass, written, package.size, started);
      observer.OnError(InstallError::Write, nullptr);
      return false;
    }
    written += length;
    if (CancelRequested(context)) {
      LogCopy(pass, written, package.size, started);
      return false;
    }
  }
}

enum class Copy { NotCreated, Incomplete, Complete };

// The target is closed again before this returns, whatever the outcome.
Copy WriteTarget(const DeviceApi& api, const WorkerContext& context, const Pass& pass, const Package& package) {
  RemoteFile file(api, api.CeCreateFile(pass.target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    diag::Log([&] { LogFailedCall(api, "CeCreateFile", LogText(pass.target)); });
    return Copy::NotCreated;
  }
  return CopyChunks(api, context, pass, file, package) ? Copy::Complete : Copy::Incomplete;
}

// False when the installer could not be started; the complete copy stays,
// so that a later run, or a tap on it in the handheld's file explorer, can
// still install it.
bool FinishTarget(const DeviceApi& api, const Pass& pass) {
  if (pass.card) {
    SetAttributes(api, pass.target, FILE_ATTRIBUTE_READONLY);
    return true;
  }
  WCHAR commandLine[std::size(device_path::kInstallerCommandLine)];
  std::copy(std::begin(device_path::kInstallerCommandLine), std::end(device_path::kInstallerCommandLine),
            commandLine);
  PROCESS_INFORMATION info{};
  if (api.CeCreateProcess(device_path::kInstaller, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          nullptr, &info)) {
    // The installer runs on its own; its handles are not needed here. The
    // thread's is let go first.
    RemoteObject process(api, info.hProcess);
    RemoteObject thread(api, info.hThread);
    return true;
  }
  diag::Log([&] {
    LogFailedCall(api, "CeCreateProcess", LogText(device_path::kInstaller) + " " + LogText(commandLine));
  });
  return false;
}

// False when the run ended inside the pass.
bool RunPass(const DeviceApi& api, const WorkerContext& context, WorkerHost& host, const Pass& pass) {
  InstallObserver& observer = *context.observer;
  if (CancelRequested(context)) return false;
  if (pass.card && context.memoryCard == 0) return true;
  std::optional<Package> package = host.FindPackage();
  if (!package) return true;

  observer.OnStage(pass.stage);
  observer.OnProgress(0, false);
  PrepareTarget(api, pass);

  switch (WriteTarget(api, context, pass, *package)) {
    case Copy::NotCreated:
      observer.OnError(pass.createError, nullptr);
      Delete(api, pass.target);
      return false;
    case Copy::Incomplete:
      // A partial file never stays on the handheld.
      Delete(api, pass.target);
      return false;
    case Copy::Complete:
      if (FinishTarget(api, pass)) return true;
      observer.OnError(InstallError::InstallerStart, nullptr);
      return false;
  }
  return false;
}

}  // namespace

bool RunTransferPasses(const DeviceApi& api, const WorkerContext& context, WorkerHost& host) {
  return RunPass(api, context, host, kCardPass) && RunPass(api, context, host, kInstallPass);
}
