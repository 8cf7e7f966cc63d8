// The simulated handheld behaves like the handheld where the program relies
// on it, and fails in exactly the ways a test asks for.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "device/event.h"
#include "sim/operations.h"
#include "sim/sim.h"

namespace fs = std::filesystem;

namespace {

const char16_t kCardCopy[] = u"\\Storage Card\\Q58ravoInstall.CAB";
const char16_t kInstallCopy[] = u"\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB";
const char16_t kEntry[] = u"Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)";
const char16_t kFileList[] = u"Software\\Meridane\\ZenLaunch\\FileList";

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ravo-sim-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "Built-in Storage");
  }
  void TearDown() override {
    sim::Detach();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  sim::Config Defaults() {
    sim::Config config;
    config.root = root_;
    return config;
  }
  void AttachDefaults() { sim::Attach(Defaults()); }
  void AddCard() { fs::create_directories(root_ / "Storage Card"); }

  HANDLE Create(const char16_t* path, DWORD access = GENERIC_WRITE, DWORD disposition = CREATE_ALWAYS) {
    return CeCreateFile(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  bool WriteFile(const char16_t* path, const std::string& bytes) {
    HANDLE file = Create(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = CeWriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CeCloseHandle(file);
    return ok && written == bytes.size();
  }

  fs::path root_;
};

// ---- files ----

TEST_F(SimTest, CopiesLandAtTheMappedPathsAndReadBack) {
  AddCard();
  AttachDefaults();
  ASSERT_TRUE(WriteFile(kCardCopy, "MSCF card"));
  EXPECT_EQ(ReadText(root_ / "Storage Card" / "Q58ravoInstall.CAB"), "MSCF card");

  // The handheld's names ignore case; the existing folder is found.
  HANDLE in = Create(u"\\storage card\\q58RAVOinstall.cab", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  ASSERT_NE(in, nullptr);
  char buffer[4] = {};
  DWORD got = 99;
  std::string back;
  while (CeReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) back.append(buffer, got);
  EXPECT_EQ(got, 0u) << "the end of the file reads as success with no bytes";
  EXPECT_EQ(back, "MSCF card");
  EXPECT_FALSE(CeWriteFile(in, "x", 1, &got, nullptr)) << "a handle opened for reading cannot write";
  CeCloseHandle(in);

  for (const char16_t* folder : {u"\\Windows", u"\\Windows\\AppMgr", u"\\Windows\\AppMgr\\Install"})
    EXPECT_TRUE(CeCreateDirectory(folder, nullptr));
  EXPECT_FALSE(CeCreateDirectory(u"\\Windows", nullptr)) << "an existing folder";
  EXPECT_FALSE(CeCreateDirectory(u"\\Nowhere\\Below", nullptr)) << "a missing parent";
  ASSERT_TRUE(WriteFile(kInstallCopy, "MSCF install"));
  EXPECT_EQ(ReadText(root_ / "Windows" / "AppMgr" / "Install" / "ravo+ for Q58.CAB"), "MSCF install");

  // Create-always replaces what was there.
  ASSERT_TRUE(WriteFile(kInstallCopy, "new"));
  EXPECT_EQ(ReadText(root_ / "Windows" / "AppMgr" / "Install" / "ravo+ for Q58.CAB"), "new");
}

TEST_F(SimTest, FilesThatCannotBeMadeOrFound) {
  AttachDefaults();
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE) << "no memory card";
  EXPECT_FALSE(fs::exists(root_ / "Storage Card"));
  EXPECT_EQ(Create(kInstallCopy), INVALID_HANDLE_VALUE) << "install folder not made yet";
  EXPECT_EQ(Create(u"\\Built-in Storage\\Program Files\\Svcore\\Svcore.ver", GENERIC_READ, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(Create(u"\\Built-in Storage", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE) << "a folder";
  EXPECT_FALSE(CeDeleteFile(kCardCopy));
  EXPECT_EQ(sim::OpenHandles(), 0u);
}

TEST_F(SimTest, ReadOnlyFileCannotBeReplacedOrDeletedUntilCleared) {
  AddCard();
  AttachDefaults();
  ASSERT_TRUE(WriteFile(kCardCopy, "first"));
  ASSERT_TRUE(CeSetFileAttributes(kCardCopy, FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(ReadText(root_ / "attributes.txt"), "00000001 \\Storage Card\\Q58ravoInstall.CAB\n");

  EXPECT_FALSE(CeDeleteFile(kCardCopy));
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Create(kCardCopy, GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  HANDLE in = Create(kCardCopy, GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(in, INVALID_HANDLE_VALUE) << "reading is allowed";
  CeCloseHandle(in);
  EXPECT_EQ(ReadText(root_ / "Storage Card" / "Q58ravoInstall.CAB"), "first");

  // As the worker prepares the card: normal attributes, then delete.
  ASSERT_TRUE(CeSetFileAttributes(u"\\STORAGE CARD\\q58ravoinstall.cab", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(CeDeleteFile(kCardCopy));
  EXPECT_FALSE(fs::exists(root_ / "Storage Card" / "Q58ravoInstall.CAB"));
  EXPECT_FALSE(fs::exists(root_ / "attributes.txt")) << "no file keeps an attribute";
  EXPECT_FALSE(CeSetFileAttributes(kCardCopy, FILE_ATTRIBUTE_READONLY)) << "no such file";
}

TEST_F(SimTest, AttributesWrittenFromOutsideAreHonoured) {
  AddCard();
  WriteText(root_ / "Storage Card" / "Q58ravoInstall.CAB", "old copy");
  WriteText(root_ / "attributes.txt", "# left by an earlier run\n00000001 \\Storage Card\\Q58ravoInstall.CAB\n");
  AttachDefaults();
  EXPECT_FALSE(CeDeleteFile(kCardCopy));
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE);
}

TEST_F(SimTest, OpenFilesAreCountedAndCannotBeDeletedOrMoved) {
  AddCard();
  AttachDefaults();
  HANDLE out = Create(kCardCopy);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_EQ(sim::OpenHandles(), 1u);
  EXPECT_FALSE(CeDeleteFile(kCardCopy));
  EXPECT_FALSE(CeMoveFile(kCardCopy, u"\\Storage Card\\moved.CAB"));
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE) << "a second writer";
  EXPECT_TRUE(CeCloseHandle(out));
  EXPECT_FALSE(CeCloseHandle(out)) << "closed twice";
  EXPECT_EQ(sim::OpenHandles(), 0u);
  EXPECT_TRUE(CeDeleteFile(kCardCopy));
}

// What the program never asks for is refused, not imitated.
TEST_F(SimTest, WhatTheProgramNeverUsesFailsCleanly) {
  AddCard();
  AttachDefaults();
  ASSERT_TRUE(WriteFile(kCardCopy, "data"));
  for (DWORD disposition : {1u /* CREATE_NEW */, 4u /* OPEN_ALWAYS */, 5u /* TRUNCATE_EXISTING */})
    EXPECT_EQ(Create(kCardCopy, GENERIC_WRITE, disposition), INVALID_HANDLE_VALUE) << disposition;
  EXPECT_FALSE(CeMoveFile(kCardCopy, u"\\Storage Card\\moved.CAB"));
  EXPECT_EQ(ReadText(root_ / "Storage Card" / "Q58ravoInstall.CAB"), "data");

  HKEY key = nullptr;
  WCHAR noClass[] = {0};
  ASSERT_EQ(CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
            ERROR_SUCCESS);
  const char16_t text[] = u"text";
  EXPECT_NE(CeRegSetValueEx(key, u"Name", 0, 1 /* REG_SZ */, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  const BYTE dpi[4] = {0x60, 0, 0, 0};
  EXPECT_NE(CeRegSetValueEx(key, u"DPI", 0, REG_DWORD, dpi, 2), ERROR_SUCCESS) << "a number of another size";
  EXPECT_NE(CeRegSetValueEx(key, u"", 0, REG_DWORD, dpi, 4), ERROR_SUCCESS) << "the default value";
  CeRegCloseKey(key);
  EXPECT_EQ(ReadText(root_ / "registry.txt"), "[HKEY_LOCAL_MACHINE\\Software]\n\n[HKEY_LOCAL_MACHINE\\Software\\Meridane]\n");
  EXPECT_EQ(sim::OpenHandles(), 0u);
}

TEST_F(SimTest, PathsOutsideTheHandheldAreRefused) {
  AddCard();
  WriteText(root_ / "registry.txt", "");
  AttachDefaults();
  const std::u16string outside = u"\\..\\" + fs::path(root_.filename()).u16string() + u"-escaped";
  for (const std::u16string& path :
       {outside, std::u16string(u"\\Storage Card\\..\\..\\escaped"), std::u16string(u"/../escaped"),
        std::u16string(u"\\registry.txt"), std::u16string(u"\\SIM.INI"), std::u16string(u"C:\\escaped"),
        std::u16string(u"\\"), std::u16string(u"")}) {
    EXPECT_EQ(Create(path.c_str()), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CeCreateDirectory(path.c_str(), nullptr));
    EXPECT_FALSE(CeDeleteFile(path.c_str()));
  }
  EXPECT_FALSE(fs::exists(root_.parent_path() / (root_.filename().string() + "-escaped")));
  EXPECT_FALSE(fs::exists(root_.parent_path() / "escaped"));
  EXPECT_TRUE(fs::exists(root_ / "registry.txt"));
  // A dot inside a name is only a name.
  EXPECT_TRUE(WriteFile(u"\\Storage Card\\..hidden.", "x"));
}

// ---- processes ----

TEST_F(SimTest, ProcessStartIsLoggedAndItsHandlesCountUntilClosed) {
  AttachDefaults();
  PROCESS_INFORMATION info{};
  WCHAR commandLine[] = CE_TEXT("/noaskdest \"\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB\"");
  ASSERT_TRUE(CeCreateProcess(CE_TEXT("wceload"), commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              nullptr, &info));
  const std::string line = "wceload /noaskdest \"\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB\"";
  EXPECT_EQ(ReadText(root_ / "processes.log"), line + "\n");
  EXPECT_EQ(sim::Calls().back().detail, line);
  EXPECT_NE(info.hProcess, info.hThread);
  EXPECT_EQ(sim::OpenHandles(), 2u);
  EXPECT_TRUE(CeCloseHandle(info.hProcess));
  EXPECT_TRUE(CeCloseHandle(info.hThread));
  EXPECT_EQ(sim::OpenHandles(), 0u);
}

// ---- registry ----

TEST_F(SimTest, RegistryRoundTripsThroughTheTextFile) {
  WriteText(root_ / "registry.txt",
            "[HKEY_LOCAL_MACHINE\\Software\\Meridane]\n"
            "\"Path\"=\"\\\\Windows\\\\\xe3\x83\xa9.exe\"\n");
  AttachDefaults();
  HKEY key = nullptr;
  DWORD disposition = 0;
  WCHAR noClass[] = {0};
  ASSERT_EQ(CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane\\Display", 0, noClass, 0, KEY_ALL_ACCESS,
                             nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, 1u) << "created";
  const BYTE dpi[4] = {0x60, 0, 0, 0};
  EXPECT_EQ(CeRegSetValueEx(key, u"DPI", 0, REG_DWORD, dpi, 4), ERROR_SUCCESS);
  EXPECT_EQ(CeRegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(sim::OpenHandles(), 0u);

  EXPECT_EQ(ReadText(root_ / "registry.txt"),
            "[HKEY_LOCAL_MACHINE\\Software]\n"
            "\n[HKEY_LOCAL_MACHINE\\Software\\Meridane]\n"
            "\"Path\"=\"\\\\Windows\\\\\xe3\x83\xa9.exe\"\n"
            "\n[HKEY_LOCAL_MACHINE\\Software\\Meridane\\Display]\n"
            "\"DPI\"=dword:00000060\n");

  // A fresh device reads it back; key and value names ignore case.
  sim::Detach();
  AttachDefaults();
  ASSERT_EQ(CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\meridane\\display", 0, noClass, 0, KEY_ALL_ACCESS,
                             nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, 2u) << "opened";
  DWORD type = 0, value = 0, size = 2;
  EXPECT_EQ(CeRegQueryValueEx(key, u"dpi", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), 234)
      << "buffer too small";
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(CeRegQueryValueEx(key, u"dpi", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, 96u);
  EXPECT_EQ(CeRegQueryValueEx(key, u"Missing", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  CeRegCloseKey(key);

  // A text comes back as the handheld's own: UTF-16 with its NUL, escapes undone.
  ASSERT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  const std::u16string path = u"\\Windows\\\u30e9.exe";
  char16_t text[32] = {};
  size = sizeof text;
  ASSERT_EQ(CeRegQueryValueEx(key, u"path", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, (path.size() + 1) * sizeof(char16_t));
  EXPECT_EQ(std::u16string(text), path);
  CeRegCloseKey(key);
}

TEST_F(SimTest, DeletingTheFileListEntryKeepsTheFileList) {
  WriteText(root_ / "registry.txt",
            "; seeded by hand\n"
            "[HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList\\Other]\n"
            "\"Path\"=\"\\\\Windows\\\\other.exe\"\n"
            "[HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)]\n"
            "\"Path\"=\"\\\\ravo.exe\"\n"
            "[HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)\\Below]\n");
  AttachDefaults();
  HKEY entry = nullptr, list = nullptr;
  // Opened with no access at all, as the worker does to see that it exists.
  ASSERT_EQ(CeRegOpenKeyEx(HKEY_CURRENT_USER, kEntry, 0, 0, &entry), ERROR_SUCCESS);
  ASSERT_EQ(CeRegOpenKeyEx(HKEY_CURRENT_USER, kFileList, 0, 0, &list), ERROR_SUCCESS);
  EXPECT_EQ(CeRegDeleteKey(list, u"ravo+(GPS)"), ERROR_ACCESS_DENIED) << "the entry is still open";
  CeRegCloseKey(entry);
  EXPECT_EQ(CeRegDeleteKey(list, u"ravo+(GPS)"), ERROR_SUCCESS);
  EXPECT_EQ(CeRegDeleteKey(list, u"ravo+(GPS)"), ERROR_FILE_NOT_FOUND);
  CeRegCloseKey(list);

  EXPECT_NE(CeRegOpenKeyEx(HKEY_CURRENT_USER, kEntry, 0, 0, &entry), ERROR_SUCCESS);
  EXPECT_NE(CeRegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)\\Below", 0, 0,
                           &entry),
            ERROR_SUCCESS);
  const std::string text = ReadText(root_ / "registry.txt");
  EXPECT_EQ(text.find("ravo+(GPS)"), std::string::npos) << text;
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Path\"=\"\\\\Windows\\\\other.exe\""), std::string::npos) << text;
  EXPECT_EQ(sim::OpenHandles(), 0u);
}

TEST_F(SimTest, RegistryRefusalsThatTheWorkerMeets) {
  AttachDefaults();
  HKEY key = nullptr;
  EXPECT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, KEY_QUERY_VALUE, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(sim::OpenHandles(), 0u);

  // A key opened for querying is still written through, as on the handheld.
  WCHAR noClass[] = {0};
  ASSERT_EQ(CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
            ERROR_SUCCESS);
  CeRegCloseKey(key);
  ASSERT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  const BYTE dpi[4] = {192, 0, 0, 0};
  EXPECT_EQ(CeRegSetValueEx(key, u"DPI", 0, REG_DWORD, dpi, 4), ERROR_SUCCESS);
  EXPECT_NE(ReadText(root_ / "registry.txt").find("\"DPI\"=dword:000000c0"), std::string::npos);

  // A key deleted under an open handle: the handle no longer reaches it.
  HKEY software = nullptr;
  ASSERT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software", 0, 0, &software), ERROR_SUCCESS);
  CeRegCloseKey(key);
  EXPECT_EQ(CeRegDeleteKey(software, u"Meridane"), ERROR_SUCCESS);
  EXPECT_NE(CeRegSetValueEx(reinterpret_cast<HKEY>(std::intptr_t{0x7777}), u"DPI", 0, REG_DWORD, dpi, 4),
            ERROR_SUCCESS);
  EXPECT_EQ(CeRegCloseKey(software), ERROR_SUCCESS);
  EXPECT_NE(CeRegCloseKey(software), ERROR_SUCCESS) << "closed twice";
  EXPECT_NE(CeRegDeleteKey(HKEY_LOCAL_MACHINE, u""), ERROR_SUCCESS) << "a root cannot go";
}

TEST_F(SimTest, BadRegistryLinesAreReportedAndSkipped) {
  WriteText(root_ / "registry.txt",
            "\"Orphan\"=dword:1\n"
            "[HKEY_NOWHERE\\Software]\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Meridane]\n"
            "\"DPI\"=dword:zz\n"
            "\"Blob\"=hex:01,02\n"
            "\"Good\"=dword:00000002\n");
  AttachDefaults();
  testing::internal::CaptureStderr();
  HKEY key = nullptr;
  ASSERT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Meridane", 0, 0, &key), ERROR_SUCCESS);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("registry.txt:1:"), std::string::npos) << messages;
  EXPECT_NE(messages.find("registry.txt:2:"), std::string::npos) << messages;
  EXPECT_NE(messages.find("registry.txt:4:"), std::string::npos) << messages;
  EXPECT_NE(messages.find("registry.txt:5:"), std::string::npos) << messages;
  DWORD value = 0, size = 4;
  EXPECT_EQ(CeRegQueryValueEx(key, u"Good", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(CeRegQueryValueEx(key, u"DPI", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  CeRegCloseKey(key);
}

// ---- display ----

TEST_F(SimTest, DisplayDensityComesFromTheConfig) {
  sim::Config config = Defaults();
  config.dpi = 192;
  sim::Attach(config);
  EXPECT_EQ(CeGetDesktopDeviceCaps(LOGPIXELSX), 192);
  EXPECT_EQ(CeGetDesktopDeviceCaps(90), 0);
}

// ---- start ----

struct StartCase {
  sim::StartMode mode;
  bool accepted;
  WaitOutcome wait;
  bool startFailed;
};

class SimStartTest : public SimTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(SimStartTest, StartBehavesAsConfiguredAndUninitCleansUp) {
  const StartCase& c = GetParam();
  sim::Config config = Defaults();
  config.faults.start = c.mode;
  sim::Attach(config);
  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  HRESULT hr = CeRapiInitEx(&init);
  EXPECT_EQ(!StartFailed(hr), c.accepted) << hr;
  if (c.accepted) {
    // A zero wait: a start that is never signalled must not hold anything up.
    EXPECT_EQ(WaitForEvent(init.heRapiInit, 0), c.wait);
    if (c.wait == WaitOutcome::Signalled) {
      EXPECT_EQ(StartFailed(init.hrRapiInit), c.startFailed);
    }
    EXPECT_EQ(CeRapiUninit(), 0);
  }
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRapiInitEx), 1u);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeRapiUninit), c.accepted ? 1u : 0u);
  EXPECT_EQ(sim::OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, SimStartTest,
                         ::testing::Values(StartCase{sim::StartMode::Succeed, true, WaitOutcome::Signalled, false},
                                           StartCase{sim::StartMode::Refuse, false, WaitOutcome::Failed, false},
                                           StartCase{sim::StartMode::Fail, true, WaitOutcome::Signalled, true},
                                           StartCase{sim::StartMode::Never, true, WaitOutcome::TimedOut, false},
                                           StartCase{sim::StartMode::BrokenEvent, true, WaitOutcome::Failed,
                                                     false}));

TEST_F(SimTest, StartRecordOfAnotherLayoutIsRefused) {
  AttachDefaults();
  RAPIINIT init{sizeof(RAPIINIT) + 4, nullptr, 0};
  EXPECT_TRUE(StartFailed(CeRapiInitEx(&init)));
  EXPECT_TRUE(StartFailed(CeRapiInitEx(nullptr)));
  EXPECT_EQ(init.heRapiInit, nullptr);
}

TEST_F(SimTest, NothingWorksWithoutAnAttachedDevice) {
  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  EXPECT_TRUE(StartFailed(CeRapiInitEx(&init)));
  EXPECT_EQ(Create(u"\\Built-in Storage\\x"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CeGetDesktopDeviceCaps(LOGPIXELSX), 0);
}

// ---- faults ----

TEST_F(SimTest, TheNthCallOfAnOperationFailsWithItsFailureValue) {
  AddCard();
  sim::Config config = Defaults();
  config.faults.failCall[static_cast<int>(sim::Op::CeCreateFile)] = 2;
  config.faults.failCall[static_cast<int>(sim::Op::CeWriteFile)] = 3;
  config.faults.failCall[static_cast<int>(sim::Op::CeRegOpenKeyEx)] = 1;
  config.faults.failCall[static_cast<int>(sim::Op::CeGetDesktopDeviceCaps)] = 1;
  config.faults.failCall[static_cast<int>(sim::Op::CeRapiInitEx)] = 1;
  sim::Attach(config);

  RAPIINIT init{sizeof(RAPIINIT), nullptr, 0};
  EXPECT_TRUE(StartFailed(CeRapiInitEx(&init)));
  HANDLE first = Create(kCardCopy);
  EXPECT_NE(first, INVALID_HANDLE_VALUE);
  CeCloseHandle(first);
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE);
  HANDLE third = Create(kCardCopy);
  ASSERT_NE(third, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(CeWriteFile(third, "ab", 2, &written, nullptr));
  EXPECT_TRUE(CeWriteFile(third, "cd", 2, &written, nullptr));
  EXPECT_FALSE(CeWriteFile(third, "ef", 2, &written, nullptr));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(CeWriteFile(third, "gh", 2, &written, nullptr));
  CeCloseHandle(third);
  EXPECT_EQ(ReadText(root_ / "Storage Card" / "Q58ravoInstall.CAB"), "abcdgh");

  fs::create_directories(root_ / "x");
  WriteText(root_ / "registry.txt", "[HKEY_CURRENT_USER\\Software]\n");
  HKEY key = nullptr;
  EXPECT_NE(CeRegOpenKeyEx(HKEY_CURRENT_USER, u"Software", 0, 0, &key), ERROR_SUCCESS);
  EXPECT_EQ(CeRegOpenKeyEx(HKEY_CURRENT_USER, u"Software", 0, 0, &key), ERROR_SUCCESS);
  CeRegCloseKey(key);
  EXPECT_EQ(CeGetDesktopDeviceCaps(LOGPIXELSX), 0);
  EXPECT_EQ(CeGetDesktopDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(sim::CountCalls(sim::Op::CeCreateFile), 3u) << "failed calls count too";
}

// What CeGetLastError says after each kind of failure the program can meet,
// and CeRapiGetError only when no handheld took the call.
TEST_F(SimTest, FailuresLeaveTheirErrorForTheErrorQueries) {
  sim::Config config = Defaults();
  config.faults.failCall[static_cast<int>(sim::Op::CeWriteFile)] = 1;
  sim::Attach(config);
  const auto lastError = [] { return CeGetLastError(); };
  EXPECT_EQ(Create(u"\\Built-in Storage\\none.ver", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), 2u);  // file not found
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), 3u);  // no memory card: path not found
  AddCard();
  HANDLE file = Create(kCardCopy);
  DWORD written = 0;
  EXPECT_FALSE(CeWriteFile(file, "ab", 2, &written, nullptr));
  EXPECT_EQ(lastError(), 112u);  // the injected write fault: disk full
  EXPECT_EQ(Create(kCardCopy), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), 32u);  // open already: sharing violation
  CeCloseHandle(file);
  EXPECT_TRUE(CeSetFileAttributes(kCardCopy, FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CeDeleteFile(kCardCopy));
  EXPECT_EQ(lastError(), 5u);  // read-only: access denied
  EXPECT_FALSE(CeCreateDirectory(u"\\Storage Card", nullptr));
  EXPECT_EQ(lastError(), 183u);  // already exists
  EXPECT_EQ(CeRapiGetError(), 0) << "the link itself worked throughout";
  EXPECT_EQ(sim::CountCalls(sim::Op::CeGetLastError), 6u);

  sim::Detach();
  EXPECT_FALSE(CeDeleteFile(kCardCopy));
  EXPECT_EQ(static_cast<DWORD>(CeRapiGetError()), 0x800708CAu);  // not connected
  sim::Attach(config);
  EXPECT_EQ(CeRapiGetError(), 0);
  EXPECT_EQ(CeGetLastError(), 0u);
}

TEST_F(SimTest, ShortWriteSucceedsWithFewerBytes) {
  AddCard();
  sim::Config config = Defaults();
  config.faults.shortWriteAt = 2;
  sim::Attach(config);
  HANDLE out = Create(kCardCopy);
  DWORD written = 0;
  EXPECT_TRUE(CeWriteFile(out, "1234", 4, &written, nullptr));
  EXPECT_EQ(written, 4u);
  EXPECT_TRUE(CeWriteFile(out, "5678", 4, &written, nullptr));
  EXPECT_EQ(written, 2u);
  EXPECT_TRUE(CeWriteFile(out, "9", 1, &written, nullptr));
  CeCloseHandle(out);
  EXPECT_EQ(ReadText(root_ / "Storage Card" / "Q58ravoInstall.CAB"), "1234569");
}

TEST_F(SimTest, EntryGivesEveryOperationUnlessOmitted) {
  AttachDefaults();
  EXPECT_EQ(sim::Entry("CeCreateFile"), reinterpret_cast<void*>(&CeCreateFile));
  int found = 0;
#define COUNT_ENTRY(name, called) found += sim::Entry(#name) != nullptr;
  DEVICE_API_OPERATIONS(COUNT_ENTRY)
#undef COUNT_ENTRY
  EXPECT_EQ(found, kDeviceApiOperationCount);
  EXPECT_NE(sim::Entry("CeGetLastError"), nullptr);
  EXPECT_NE(sim::Entry("CeRapiGetError"), nullptr);
  EXPECT_EQ(sim::Entry("CeRapiInit"), nullptr);
  EXPECT_EQ(sim::Entry(nullptr), nullptr);

  sim::Config config = Defaults();
  config.faults.omit = {"CeWriteFile", "CeMoveFile"};
  sim::Attach(config);
  EXPECT_EQ(sim::Entry("CeWriteFile"), nullptr);
  EXPECT_EQ(sim::Entry("CeMoveFile"), nullptr);
  EXPECT_NE(sim::Entry("CeReadFile"), nullptr);
}

TEST_F(SimTest, HookRunsFirstWithTheCallNumberAndMayCallBack) {
  AddCard();
  sim::Config config = Defaults();
  config.faults.failCall[static_cast<int>(sim::Op::CeWriteFile)] = 2;
  sim::Attach(config);
  std::vector<std::pair<sim::Op, unsigned>> seen;
  sim::SetCallHook([&](sim::Op op, unsigned number) {
    seen.emplace_back(op, number);
    // Inspecting from inside a call must not deadlock.
    EXPECT_EQ(sim::CountCalls(op), number);
    EXPECT_FALSE(sim::Calls().empty());
  });
  HANDLE out = Create(kCardCopy);
  DWORD written = 0;
  CeWriteFile(out, "a", 1, &written, nullptr);
  EXPECT_FALSE(CeWriteFile(out, "b", 1, &written, nullptr));
  CeCloseHandle(out);
  sim::SetCallHook(nullptr);
  const std::vector<std::pair<sim::Op, unsigned>> expected = {{sim::Op::CeCreateFile, 1},
                                                               {sim::Op::CeWriteFile, 1},
                                                               {sim::Op::CeWriteFile, 2},
                                                               {sim::Op::CeCloseHandle, 1}};
  EXPECT_EQ(seen, expected);
}

// ---- records ----

TEST_F(SimTest, CallsAreRecordedAndLogged) {
  AddCard();
  AttachDefaults();
  ASSERT_TRUE(WriteFile(kCardCopy, "12345"));
  HKEY key = nullptr;
  CeRegOpenKeyEx(HKEY_CURRENT_USER, kEntry, 0, 0, &key);
  CeGetDesktopDeviceCaps(LOGPIXELSX);
  std::vector<std::string> details;
  for (const sim::Call& call : sim::Calls()) details.push_back(std::string(sim::OpName(call.op)) + " " + call.detail);
  const std::vector<std::string> expected = {
      "CeCreateFile \\Storage Card\\Q58ravoInstall.CAB", "CeWriteFile 5",
      "CeCloseHandle \\Storage Card\\Q58ravoInstall.CAB",
      "CeRegOpenKeyEx HKEY_CURRENT_USER\\Software\\Meridane\\ZenLaunch\\FileList\\ravo+(GPS)",
      "CeGetDesktopDeviceCaps 88"};
  EXPECT_EQ(details, expected);
  std::string log;
  for (const std::string& line : expected) log += line + "\n";
  EXPECT_EQ(ReadText(root_ / "calls.log"), log);

  sim::Config quiet = Defaults();
  quiet.writeCallLog = false;
  sim::Attach(quiet);
  EXPECT_TRUE(sim::Calls().empty()) << "a fresh device starts a fresh record";
  CeGetDesktopDeviceCaps(LOGPIXELSX);
  EXPECT_EQ(ReadText(root_ / "calls.log"), log);
}

TEST_F(SimTest, InspectingFromAnotherThreadWhileCopying) {
  AddCard();
  AttachDefaults();
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done) {
      sim::Calls();
      sim::OpenHandles();
      sim::CountCalls(sim::Op::CeWriteFile);
    }
  });
  HANDLE out = Create(kCardCopy);
  std::string chunk(4096, 'x');
  DWORD written = 0;
  for (int i = 0; i < 50; ++i) CeWriteFile(out, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
  CeCloseHandle(out);
  done = true;
  watcher.join();
  EXPECT_EQ(fs::file_size(root_ / "Storage Card" / "Q58ravoInstall.CAB"), 50u * 4096);
}

// ---- sim.ini ----

TEST_F(SimTest, ConfigFileSetsEveryKnob) {
  WriteText(root_ / "sim.ini",
            "# a slow handheld that refuses\n"
            "start = refuse\n"
            "fail.CeWriteFile=5   # the fifth chunk\n"
            "bytes_per_second=1000000\n"
            "latency_ms=5\n"
            "latency.CeRapiInitEx=300\n");
  sim::Config config = sim::LoadConfig(root_);
  EXPECT_EQ(config.root, root_);
  EXPECT_EQ(config.faults.start, sim::StartMode::Refuse);
  EXPECT_EQ(config.faults.failCall[static_cast<int>(sim::Op::CeWriteFile)], 5u);
  EXPECT_EQ(config.link.bytesPerSecond, 1000000.0);
  EXPECT_EQ(config.link.latencyMs, 5u);
  EXPECT_EQ(config.link.callLatencyMs[static_cast<int>(sim::Op::CeRapiInitEx)], 300u);
  EXPECT_EQ(config.link.callLatencyMs[static_cast<int>(sim::Op::CeWriteFile)], 0u);

  for (auto [text, mode] : {std::pair{"succeed", sim::StartMode::Succeed}, {"fail", sim::StartMode::Fail},
                            {"never", sim::StartMode::Never}, {"broken-event", sim::StartMode::BrokenEvent}}) {
    WriteText(root_ / "sim.ini", std::string("start=") + text + "\n");
    EXPECT_EQ(sim::LoadConfig(root_).faults.start, mode) << text;
  }
}

TEST_F(SimTest, ConfigFileProblemsAreReportedAndLeaveDefaults) {
  sim::Config defaults = sim::LoadConfig(root_);
  EXPECT_EQ(defaults.faults.start, sim::StartMode::Succeed);
  EXPECT_EQ(defaults.dpi, 96);
  EXPECT_TRUE(defaults.writeCallLog);

  WriteText(root_ / "sim.ini",
            "start=sometimes\n"
            "fail.CeFly=1\n"
            "latency_ms=lots\n"
            "no equals sign\n"
            "colour=blue\n"
            "bytes_per_second=-1\n"
            "latency.CeFly=5\n"
            "latency.CeReadFile=soon\n"
            "latency_ms=7\n");
  testing::internal::CaptureStderr();
  sim::Config config = sim::LoadConfig(root_);
  const std::string messages = testing::internal::GetCapturedStderr();
  for (int line = 1; line <= 8; ++line)
    EXPECT_NE(messages.find("sim.ini:" + std::to_string(line) + ":"), std::string::npos) << messages;
  EXPECT_EQ(messages.find("sim.ini:9:"), std::string::npos) << messages;
  EXPECT_EQ(config.faults.start, sim::StartMode::Succeed);
  EXPECT_EQ(config.link.bytesPerSecond, 0.0);
  EXPECT_EQ(config.link.latencyMs, 7u);
  EXPECT_EQ(config.link.callLatencyMs[static_cast<int>(sim::Op::CeReadFile)], 0u);
}

}  // namespace
