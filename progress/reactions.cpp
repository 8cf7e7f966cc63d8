#include "progress/reactions.h"

#include <iterator>

#include "progress/progress_controller.h"
#include "resources/texts.h"
#include "resources/version.h"

namespace {
constexpr StageReaction kStages[] = {
    {text::kStatusReading, text::kTitleReading},
    {text::kStatusCardCopy, text::kTitleTransfer},
    {text::kStatusInstall, text::kTitleTransfer},
};

constexpr BoxKind kErrorBox = BoxKind::Error;
constexpr BoxKind kQuestionBox = BoxKind::Question;

struct ErrorEntry {
  InstallError code;
  BoxReaction box;
};
constexpr ErrorEntry kErrors[] = {
    {InstallError::NotInitialised, {text::kInitFailed, text::kCaptionConnect, kErrorBox}},
    {InstallError::ConnectFailed, {text::kConnectFailed, text::kCaptionConnect, kErrorBox}},
    {InstallError::NotConnected, {text::kNotConnected, text::kCaptionConnect, kErrorBox}},
    {InstallError::NotQ58, {text::kNotQ58, text::kCaptionConnect, kErrorBox}},
    {InstallError::NotInstalled, {text::kNotInstalled, text::kCaptionVersion, kErrorBox}},
    {InstallError::VersionTooOld, {text::kVersionTooOldTemplate, text::kCaptionVersion, kErrorBox}},
    {InstallError::VersionNewer, {text::kVersionNewerTemplate, text::kCaptionVersion, kQuestionBox}},
    {InstallError::InstallerStart, {text::kInstallerStartFailed, text::kCaptionTransfer, kErrorBox}},
    {InstallError::InstallCreate, {text::kInstallCreateFailed, text::kCaptionTransfer, kErrorBox}},
    {InstallError::Write, {text::kWriteFailed, text::kCaptionTransfer, kErrorBox}},
    {InstallError::CardCreate, {text::kCardCreateFailed, text::kCaptionTransfer, kErrorBox}},
    {InstallError::DemoOnly, {text::kDemoRefused, text::kCaptionConnect, kErrorBox}},
};

constexpr BoxReaction kCompletion{text::kDoneText, text::kDoneCaption, BoxKind::Information};
}  // namespace

const StageReaction* FindStageReaction(InstallStage stage) {
  const auto index = static_cast<std::size_t>(stage);
  return index < std::size(kStages) ? &kStages[index] : nullptr;
}

const BoxReaction& CompletionBox() { return kCompletion; }

const BoxReaction* FindErrorBox(InstallError code) {
  for (const ErrorEntry& entry : kErrors)
    if (entry.code == code) return &entry.box;
  return nullptr;
}

std::string ErrorMessage(const BoxReaction& box, InstallError code, const std::string& shownVersion) {
  if (code == InstallError::VersionTooOld) return FillTemplate(box.text, {shownVersion, RAVO_MINIMUM_VERSION});
  if (code == InstallError::VersionNewer) return FillTemplate(box.text, {shownVersion});
  return box.text;
}

std::optional<int> ErrorExitCode(InstallError code) {
  if (FindErrorBox(code) == nullptr) return std::nullopt;
  // The demo's refusal is the library's failure, as code 1 is; its number
  // is the program's own and no script should need it.
  if (code == InstallError::DemoOnly) return static_cast<int>(InstallError::NotInitialised);
  return static_cast<int>(code);
}
