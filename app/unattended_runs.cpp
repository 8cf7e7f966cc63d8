#include "app/unattended_runs.h"

#include <windows.h>

#include "app/inst_cab_dlg.h"
#include "app/message_box.h"
#include "app/system_worker_host.h"
#include "app/wide_text.h"
#include "resources/texts.h"
#include "unattended/check_report.h"
#include "unattended/unattended_run.h"
#include "worker/version_check.h"

namespace {
UnattendedSettings SettingsOf(const CommandLine& line) { return {line.memoryCard, line.acceptNewer}; }
}  // namespace

int RunQuiet(const CommandLine& line) {
  SystemWorkerHost host(nullptr);  // no window to show a busy cursor over
  return RunQuietly(host, SettingsOf(line));
}

int RunPassive(const CommandLine& line) {
  InstCabDlg attempt(SettingsOf(line));
  attempt.DoModal();
  return attempt.exitCode();
}

int RunCheck(const CommandLine& line) {
  SystemWorkerHost host(nullptr);  // no window yet to show a busy cursor over
  const VersionCheck check = CheckInstalledVersion(host);
  if (!line.quiet) {
    const CheckBox box = CheckBoxFor(check, [](const char* raw) { return Utf8FromJapanese(raw); });
    ShowMessageBox(nullptr, box.text, box.caption, box.kind);
  }
  return ExitCodeFor(check);
}

void ShowUsage() {
  ShowMessageBox(nullptr, text::kUsageText, text::kAppTitle, BoxKind::Error);
}
