#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unattended/command_line.h"

namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, DropsTheProgramNameQuotedOrNot) {
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\RavoVup.exe" /quiet)"), Words{"/quiet"});
  EXPECT_EQ(SplitCommandLine(R"(RavoVup.exe   /quiet	-NoCard )"), (Words{"/quiet", "-NoCard"}));
  EXPECT_EQ(SplitCommandLine("RavoVup.exe"), Words{});
  EXPECT_EQ(SplitCommandLine(R"("C:\a b\RavoVup.exe")"), Words{});
  EXPECT_EQ(SplitCommandLine(""), Words{});
}

TEST(SplitCommandLine, QuotesAndBackslashesAsTheRuntimeReadsThem) {
  EXPECT_EQ(SplitCommandLine(R"(x /log "C:\logs\run 1.txt")"), (Words{"/log", R"(C:\logs\run 1.txt)"}));
  EXPECT_EQ(SplitCommandLine(R"(x /log "")"), (Words{"/log", ""}));
  EXPECT_EQ(SplitCommandLine(R"(x a\\b a\"b "a\\" "a\\\"b")"), (Words{R"(a\\b)", R"(a"b)", R"(a\)", R"(a\"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(x C:\logs\ "a""b" c" "d)"), (Words{R"(C:\logs\)", R"(a"b)", "c d"}));
  EXPECT_EQ(SplitCommandLine(R"(x "unterminated quote)"), Words{"unterminated quote"});
  EXPECT_EQ(SplitCommandLine("x ログ\\記録.txt"), Words{"ログ\\記録.txt"});
}

TEST(ParseCommandLine, NoArgumentsIsTheMainDialogAsBefore) {
  CommandLine line = ParseCommandLine({});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Interactive);
  EXPECT_TRUE(line.memoryCard);
  EXPECT_FALSE(line.acceptNewer);
  EXPECT_FALSE(line.logFile);
}

TEST(ParseCommandLine, EachSwitchInAnyCaseWithSlashOrDash) {
  CommandLine line = ParseCommandLine({"-QUIET", "/NoCard", "-newer", "/Log", "C:\\run.log"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Quiet);
  EXPECT_TRUE(line.quiet);
  EXPECT_FALSE(line.memoryCard);
  EXPECT_TRUE(line.acceptNewer);
  EXPECT_EQ(line.logFile, "C:\\run.log");

  line = ParseCommandLine({"/passive"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Passive);
  EXPECT_FALSE(line.quiet);
  EXPECT_TRUE(line.memoryCard);

  // Without /quiet or /passive the main dialog runs; the other switches
  // still count.
  line = ParseCommandLine({"/nocard", "/log", "a.txt"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Interactive);
  EXPECT_FALSE(line.memoryCard);
  EXPECT_EQ(line.logFile, "a.txt");
}

TEST(ParseCommandLine, RepeatsAreHarmlessAndTheLastLogCounts) {
  CommandLine line = ParseCommandLine({"/quiet", "/quiet", "/log", "a.txt", "/log", "b.txt"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Quiet);
  EXPECT_EQ(line.logFile, "b.txt");
}

TEST(ParseCommandLine, LogNamesAnyWordThatIsNotASwitch) {
  EXPECT_EQ(ParseCommandLine({"/log", "-run.log"}).logFile, "-run.log");
  EXPECT_EQ(ParseCommandLine({"/log", "/quiet.log"}).logFile, "/quiet.log");
  EXPECT_EQ(ParseCommandLine({"/log", "ログ.txt", "/passive"}).logFile, "ログ.txt");
}

TEST(ParseCommandLine, RefusedLines) {
  const std::vector<Words> refused = {
      {"/silent"},            // unknown switch
      {"/"},                  // a bare slash
      {"--quiet"},            // one prefix only
      {"/quiet:1"},           // no values on switches
      {"/?"},                 // no help switch: the usage box shows for any refusal
      {"/log"},               // no file name
      {"/log", ""},           // an empty file name
      {"/log", "/quiet"},     // a switch where the name should be
      {"/log", "-NOCARD"},
      {"/quiet", "/passive"},  // both window modes
      {"/Passive", "-QUIET"},
      {"/passive", "stray.txt"},  // a stray word where nobody sees it ignored
      {"/quiet", "stray.txt"},
      {"/check", "stray.txt"},
      {"/check", "/passive"},  // a check changes nothing, so revision switches make no sense
      {"/check", "/nocard"},
      {"/newer", "-CHECK"},
      {"-check:1"},
  };
  for (const Words& words : refused) {
    std::string joined;
    for (const std::string& w : words) joined += "[" + w + "]";
    EXPECT_FALSE(ParseCommandLine(words).valid) << joined;
  }
}

TEST(ParseCommandLine, CheckWithQuietAndLog) {
  CommandLine line = ParseCommandLine({"/check"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Check);
  EXPECT_FALSE(line.quiet);
  line = ParseCommandLine({"-Quiet", "/CHECK", "/log", "check.log"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Check);
  EXPECT_TRUE(line.quiet);
  EXPECT_EQ(line.logFile, "check.log");
}

// A file dropped onto the program arrives as its path: the main dialog opens
// as usual, and the word is kept for the log. A word that looks like a
// switch is still refused.
TEST(ParseCommandLine, StrayWordsAreIgnoredByTheMainDialog) {
  CommandLine line = ParseCommandLine({R"(C:\Users\tech\Desktop\notes.txt)", "/nocard", "quiet"});
  EXPECT_TRUE(line.valid);
  EXPECT_EQ(line.mode, RunMode::Interactive);
  EXPECT_FALSE(line.memoryCard);
  EXPECT_EQ(line.ignored, (Words{R"(C:\Users\tech\Desktop\notes.txt)", "quiet"}));
  EXPECT_FALSE(ParseCommandLine({"notes.txt", "/bogus"}).valid);
}

TEST(ParseCommandLine, QuietIsSeenOnARefusedLineSoNoBoxShows) {
  EXPECT_TRUE(ParseCommandLine({"/quiet", "/passive"}).quiet);
  EXPECT_TRUE(ParseCommandLine({"/bogus", "-Quiet"}).quiet);
  EXPECT_TRUE(ParseCommandLine({"/log", "/quiet"}).quiet);
  EXPECT_FALSE(ParseCommandLine({"/passive", "/bogus"}).quiet);
  EXPECT_FALSE(ParseCommandLine({"/log", "quiet"}).quiet);
}

}  // namespace
