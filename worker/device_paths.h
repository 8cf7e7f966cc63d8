// Where the program reads and writes on the handheld.
#pragma once

#include "device/ce_types.h"

namespace device_path {
inline constexpr WCHAR kVersionFile[] = CE_TEXT("\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver");
inline constexpr WCHAR kCardCopy[] = CE_TEXT("\\Storage Card\\Q58ravoInstall.CAB");
inline constexpr WCHAR kInstallCopy[] = CE_TEXT("\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB");
inline constexpr const WCHAR* kInstallFolders[] = {
    CE_TEXT("\\Windows"),
    CE_TEXT("\\Windows\\AppMgr"),
    CE_TEXT("\\Windows\\AppMgr\\Install"),
};
inline constexpr WCHAR kInstaller[] = CE_TEXT("wceload");
inline constexpr WCHAR kInstallerCommandLine[] =
    CE_TEXT("/noaskdest \"\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB\"");

inline constexpr WCHAR kLauncherEntry[] = CE_TEXT("Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)");
inline constexpr WCHAR kLauncherFileList[] = CE_TEXT("Software\\Meridane\\ZenLaunch\\FileList");
inline constexpr WCHAR kLauncherEntryName[] = CE_TEXT("ravo+(GPS)");
inline constexpr WCHAR kMakerKey[] = CE_TEXT("Software\\Meridane");
inline constexpr WCHAR kDpiValue[] = CE_TEXT("DPI");
// The handheld's own name, as the connection software shows it; only read.
inline constexpr WCHAR kIdentKey[] = CE_TEXT("Ident");
inline constexpr WCHAR kDeviceNameValue[] = CE_TEXT("Name");
}  // namespace device_path
