#include "app/window_observer.h"

#include <cstdint>
#include <limits>

#include "app/private_messages.h"

namespace {
LPARAM AsParam(const char* version) { return reinterpret_cast<LPARAM>(version); }

// A code wider than the codes' own type can only be one nobody sent; it
// stays one that no reaction knows.
std::uint32_t Code(WPARAM wParam) {
  constexpr std::uint32_t kUnknown = std::numeric_limits<std::uint32_t>::max();
  return wParam > kUnknown ? kUnknown : static_cast<std::uint32_t>(wParam);
}
}  // namespace

void WindowObserver::OnStage(InstallStage stage) {
  SendMessageW(dialog_, WM_INSTALL_STAGE, static_cast<WPARAM>(stage), 0);
}

void WindowObserver::OnProgress(int percent, bool copyEnded) {
  SendMessageW(dialog_, WM_INSTALL_PROGRESS, static_cast<WPARAM>(percent), copyEnded ? 1 : 0);
}

void WindowObserver::OnError(InstallError code, const char* version) {
  SendMessageW(dialog_, WM_INSTALL_ERROR, static_cast<WPARAM>(code), AsParam(version));
}

bool WindowObserver::ConfirmNewerVersion(const char* version) {
  return SendMessageW(dialog_, WM_INSTALL_ERROR, static_cast<WPARAM>(InstallError::VersionNewer),
                      AsParam(version)) != 0;
}

std::optional<LRESULT> DeliverReport(InstallObserver& handler, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INSTALL_STAGE:
      handler.OnStage(static_cast<InstallStage>(Code(wParam)));
      return 0;
    case WM_INSTALL_PROGRESS:
      handler.OnProgress(static_cast<int>(wParam), lParam != 0);
      return 0;
    case WM_INSTALL_ERROR: {
      const auto code = static_cast<InstallError>(Code(wParam));
      const auto* version = reinterpret_cast<const char*>(lParam);
      if (code == InstallError::VersionNewer) return handler.ConfirmNewerVersion(version) ? 1 : 0;
      handler.OnError(code, version);
      return 0;
    }
    default:
      return std::nullopt;
  }
}
