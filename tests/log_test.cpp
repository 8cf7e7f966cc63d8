// The diagnostic log itself: its lines, its rotation, the second file of
// /log, and lines from several threads at once.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <thread>

#include "log/diagnostic_log.h"
#include "tests/support/log_folder.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

TEST(DiagnosticLog, OneTimeStampedUtf8LineAnEvent) {
  LogFolder folder;
  diag::Event("start: connected");
  diag::Event("two\r\nlines");
  diag::Event("ｍｓ ゴシック");
  const Strings raw = LogFolder::RawLines(folder.log());
  ASSERT_EQ(raw.size(), 3u);
  const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} .*\r\n)");
  for (const std::string& line : raw) EXPECT_TRUE(std::regex_match(line, stamped)) << line;
  EXPECT_EQ(folder.Events(), (Strings{"start: connected", "two\\r\\nlines", "ｍｓ ゴシック"}));
}

TEST(DiagnosticLog, AppendsToWhatEarlierRunsLeft) {
  LogFolder folder;
  std::ofstream(folder.log(), std::ios::binary) << "2026-12-09 10:00:00.000 earlier\r\n";
  diag::UseFolder(folder.root().wstring());  // as a new program would find it
  diag::Event("later");
  EXPECT_EQ(folder.Events(), (Strings{"earlier", "later"}));
}

TEST(DiagnosticLog, RotatesAtOneMebibyteKeepingOneOlderFile) {
  LogFolder folder;
  const std::string filler(1000, 'x');
  const std::size_t lineBytes = 24 + filler.size() + 2;
  const std::size_t perFile = diag::kRotateBytes / lineBytes;
  for (std::size_t i = 0; i < perFile; ++i) diag::Event(filler);
  EXPECT_FALSE(fs::exists(folder.older()));
  EXPECT_LE(fs::file_size(folder.log()), diag::kRotateBytes);

  diag::Event("first of the second file");
  EXPECT_EQ(LogFolder::RawLines(folder.older()).size(), perFile);
  EXPECT_EQ(folder.Events(), Strings{"first of the second file"});

  // The next rotation replaces the older file: never more than two.
  for (std::size_t i = 0; i < perFile; ++i) diag::Event(filler);
  EXPECT_EQ(LogFolder::RawLines(folder.older()).front().substr(24), "first of the second file\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.root()), fs::directory_iterator()), 2);
}

TEST(DiagnosticLog, AlsoWriteToGetsEveryLaterEvent) {
  LogFolder folder;
  diag::Event("before");
  const fs::path extra = folder.root() / "run.log";
  diag::AlsoWriteTo(extra.wstring());
  diag::Event("after");
  const std::string notice = "log: also written to " + extra.string();
  EXPECT_EQ(folder.Events(), (Strings{"before", notice, "after"}));
  const Strings copy = LogFolder::RawLines(extra);
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[1].substr(24), "after\r\n");
}

TEST(DiagnosticLog, AnUnwritableFileIsNotedAndChangesNothingElse) {
  LogFolder folder;
  const fs::path nowhere = folder.root() / "no such folder" / "run.log";
  diag::AlsoWriteTo(nowhere.wstring());
  diag::Event("still logged");
  EXPECT_EQ(folder.Events(), (Strings{"log: " + nowhere.string() + " cannot be written; this log only",
                                      "still logged"}));
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

TEST(DiagnosticLog, AnUnwritableStandardLogIsSkipped) {
  LogFolder folder;
  diag::UseFolder((folder.root() / "missing").wstring());
  diag::Event("lost");  // no throw, no file
  EXPECT_FALSE(fs::exists(folder.root() / "missing"));
  const fs::path extra = folder.root() / "run.log";
  diag::AlsoWriteTo(extra.wstring());
  diag::Event("kept");
  EXPECT_EQ(LogFolder::RawLines(extra).back().substr(24), "kept\r\n");
}

TEST(DiagnosticLog, OffWithoutAFolder) {
  LogFolder folder;
  diag::UseFolder(L"");
  EXPECT_FALSE(diag::Active());
  diag::Event("nowhere");
  EXPECT_FALSE(fs::exists(folder.log()));
}

// The worker and the dialog write at once: every line whole, none lost.
TEST(DiagnosticLog, LinesFromManyThreadsStayWhole) {
  LogFolder folder;
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) diag::Event("thread " + std::to_string(t) + " event " + std::to_string(i));
    });
  for (std::thread& thread : threads) thread.join();
  const Strings events = folder.Events();
  ASSERT_EQ(events.size(), static_cast<std::size_t>(kThreads * kEach));
  std::vector<int> next(kThreads, 0);
  const std::regex whole(R"(thread (\d) event (\d+))");
  for (const std::string& event : events) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(event, match, whole)) << event;
    const int t = std::stoi(match[1]);
    EXPECT_EQ(std::stoi(match[2]), next[t]++);  // each thread's lines in its own order
  }
}

TEST(DiagnosticLogText, EscapesWhatIsNotPrintable) {
  EXPECT_EQ(diag::Escaped("Version 1.1.1.0"), "Version 1.1.1.0");
  EXPECT_EQ(diag::Escaped(std::string_view("a\r\n\0\\\x7f\x82\xa0", 8)), "a\\x0D\\x0A\\x00\\\\\\x7F\\x82\\xA0");
}

TEST(DiagnosticLogText, Utf16BecomesUtf8) {
  EXPECT_EQ(diag::Utf8(std::u16string_view(u"\\Storage Card\\ｶｰﾄﾞ")), "\\Storage Card\\ｶｰﾄﾞ");
  EXPECT_EQ(diag::Utf8(std::u16string_view(u"\U0001F4BE")), "\U0001F4BE");
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(diag::Utf8(std::u16string_view(lone, 3)), "a\uFFFDb");
}

}  // namespace
