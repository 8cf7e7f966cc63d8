#include "app/unattended_runs.h"

#include <windows.h>

#include "app/inst_cab_dlg.h"
#include "app/system_worker_host.h"
#include "app/wide_text.h"
#include "device/event.h"
#include "resources/texts.h"
#include "unattended/unattended_run.h"

namespace {
UnattendedSettings SettingsOf(const CommandLine& line) { return {line.memoryCard, line.acceptNewer}; }
}  // namespace

int RunQuiet(const CommandLine& line) {
  UniqueEvent cancel = CreateAutoResetEvent();
  if (!cancel) return kExitInternalError;
  SystemWorkerHost host(nullptr);  // no window to show a busy cursor over
  return RunQuietly(host, cancel.get(), SettingsOf(line));
}

int RunPassive(const CommandLine& line) {
  InstCabDlg attempt(SettingsOf(line));
  attempt.DoModal();
  return ExitCodeFor(attempt.outcome());
}

void ShowUsage() {
  MessageBoxW(nullptr, WideFromUtf8(text::kUsageText).c_str(), WideFromUtf8(text::kAppTitle).c_str(),
              MB_OK | MB_ICONERROR);
}
