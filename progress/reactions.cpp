#include "progress/reactions.h"

#include <iterator>

#include "resources/texts.h"

namespace {
constexpr StageReaction kStages[] = {
    {text::kStatusReading, text::kTitleReading},
    {text::kStatusCardCopy, text::kTitleTransfer},
    {text::kStatusInstall, text::kTitleTransfer},
};

constexpr UINT kErrorBox = MB_OK | MB_ICONERROR;
constexpr UINT kQuestionBox = MB_YESNO | MB_ICONQUESTION;

struct ErrorEntry {
  InstallError code;
  BoxReaction box;
};
constexpr ErrorEntry kErrors[] = {
    {kErrorNotInitialised, {text::kInitFailed, text::kCaptionConnect, kErrorBox}},
    {kErrorConnectFailed, {text::kConnectFailed, text::kCaptionConnect, kErrorBox}},
    {kErrorNotConnected, {text::kNotConnected, text::kCaptionConnect, kErrorBox}},
    {kErrorNotQ58, {text::kNotQ58, text::kCaptionConnect, kErrorBox}},
    {kErrorNotInstalled, {text::kNotInstalled, text::kCaptionVersion, kErrorBox}},
    {kErrorVersionTooOld, {text::kVersionTooOldTemplate, text::kCaptionVersion, kErrorBox}},
    {kErrorVersionNewer, {text::kVersionNewerTemplate, text::kCaptionVersion, kQuestionBox}},
    {kErrorInstallCreate, {text::kInstallCreateFailed, text::kCaptionTransfer, kErrorBox}},
    {kErrorWrite, {text::kWriteFailed, text::kCaptionTransfer, kErrorBox}},
    {kErrorCardCreate, {text::kCardCreateFailed, text::kCaptionTransfer, kErrorBox}},
};

constexpr BoxReaction kCompletion{text::kDoneText, text::kDoneCaption, MB_OK | MB_ICONINFORMATION};
}  // namespace

const StageReaction* FindStageReaction(WPARAM stage) {
  return stage < std::size(kStages) ? &kStages[stage] : nullptr;
}

const BoxReaction& CompletionBox() { return kCompletion; }

const BoxReaction* FindErrorBox(WPARAM code) {
  for (const ErrorEntry& entry : kErrors)
    if (entry.code == code) return &entry.box;
  return nullptr;
}
