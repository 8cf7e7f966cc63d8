#include "app/unattended_runs.h"

#include <windows.h>

#include "app/inst_cab_dlg.h"
#include "app/system_worker_host.h"
#include "app/wide_text.h"
#include "device/event.h"
#include "resources/texts.h"
#include "unattended/check_report.h"
#include "unattended/unattended_run.h"
#include "worker/version_check.h"

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

int RunCheck(const CommandLine& line) {
  SystemWorkerHost host(nullptr);  // no window yet to show a busy cursor over
  const VersionCheck check = CheckInstalledVersion(host);
  if (!line.quiet) {
    const CheckBox box = CheckBoxFor(check, [](const char* raw) { return Utf8FromJapanese(raw); });
    MessageBoxW(nullptr, WideFromUtf8(box.text).c_str(), WideFromUtf8(box.caption).c_str(),
                MB_OK | (box.kind == BoxKind::Information ? MB_ICONINFORMATION : MB_ICONERROR));
  }
  return ExitCodeFor(check);
}

void ShowUsage() {
  MessageBoxW(nullptr, WideFromUtf8(text::kUsageText).c_str(), WideFromUtf8(text::kAppTitle).c_str(),
              MB_OK | MB_ICONERROR);
}
