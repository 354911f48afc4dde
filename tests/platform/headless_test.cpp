// The headless presenter: its script, and the program it drives, run as a
// process of its own (headless_probe) as the window tests run the program.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "codec/bmp.h"
#include "core_fixture.h"
#include "script.h"

namespace coretest {
namespace {

struct ParseCase {
  const char* name;
  const char* script;
  const char* error;  // a part of the expected error; "" when the script is fine
};

const ParseCase kParseCases[] = {
    {"EveryCommand",
     "# comment\n\nclick 1 2\npress 3 4\nrelease 5 6\nclose\nanswer\nkey 13\n"
     "expose 0 0 10 10\nresize 300 200\ncommand 1 0 control:26\ncommand 4 0 main\n"
     "command 0 0 0\ndump out dir/a.bmp\ndumpbox b.bmp\ncontrols\nwindow\r\n",
     ""},
    {"UnknownCommand", "click 1 2\njump 1 2\n", "line 2: unknown command \"jump\""},
    {"TooFewNumbers", "click 1\n", "line 1: click: too few arguments"},
    {"NotANumber", "key enter\n", "\"enter\" is not a number"},
    {"ExtraWord", "close now\n", "unexpected \"now\""},
    {"BadSender", "command 1 0 control:0\n", "the sender must be"},
    {"DumpWithoutPath", "dump\n", "a path is needed"},
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ScriptLinesAreCheckedBeforeAnythingRuns) {
  const headless::ParsedScript parsed = headless::ParseScript(GetParam().script);
  const std::string expected = GetParam().error;
  if (expected.empty()) {
    EXPECT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.commands.size(), 15u);
    EXPECT_EQ(parsed.commands[0].line, 3);
    EXPECT_EQ(parsed.commands[0].numbers, (std::vector<int>{1, 2}));
    EXPECT_EQ(parsed.commands[8].sender, headless::Command::Sender::kControl);
    EXPECT_EQ(parsed.commands[8].senderControl, 26);
    EXPECT_EQ(parsed.commands[11].path, "out dir/a.bmp");
    EXPECT_EQ(parsed.commands[14].kind, headless::Command::Kind::kWindow);
  } else {
    EXPECT_NE(parsed.error.find(expected), std::string::npos) << parsed.error;
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseTest, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ProbeRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

ProbeRun RunProbe(const TempFolder& folder, const std::string& script) {
  const std::filesystem::path scriptPath = folder.path() / "script.txt";
  std::ofstream(scriptPath) << script;
  const std::string command = "cd '" + folder.path().string() + "' && '" HEADLESS_PROBE "' '" +
                              scriptPath.string() + "' > out.txt 2> err.txt";
  const int status = std::system(command.c_str());
  ProbeRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFile(folder.path() / "out.txt");
  run.err = ReadFile(folder.path() / "err.txt");
  return run;
}

TEST(HeadlessProgram, PrintsTheWindowAndItsControlsAndEndsWithWinMainsResult) {
  TempFolder folder;
  const ProbeRun run = RunProbe(folder, "window\ncontrols\nclick 20 55\ncontrols\nclose\n");
  EXPECT_EQ(run.exitCode, 7);
  EXPECT_EQ(run.err, "");
  const std::string controls =
      "control 1 class=button text=\"One\" style=0x50000009 rect=10,10,100,30 id=11 checked=0\n"
      "control 2 class=button text=\"Two\" style=0x50000009 rect=10,40,100,30 id=12 checked=0\n"
      "control 3 class=button text=\"Ask\" style=0x50000000 rect=10,80,80,25 id=1 checked=0\n";
  std::string checked = controls;
  checked.replace(checked.find("id=12 checked=0"), 15, "id=12 checked=1");
  EXPECT_EQ(run.out,
            "window title=\"Probe window\" class=\"Probe\" style=0x10CF0000 outer=5,6,208,157 "
            "client=200,130\n" +
                controls + "command 12 0 control:2\n" + checked);
}

TEST(HeadlessProgram, ShowsTheMessageBoxAndTakesTheAnswer) {
  TempFolder folder;
  const ProbeRun run =
      RunProbe(folder, "click 20 90\ndumpbox box.bmp\nanswer\ndump main.bmp\nclose\n");
  EXPECT_EQ(run.exitCode, 7);
  EXPECT_EQ(run.out,
            "command 1 0 control:3\n"
            "messagebox owner=main caption=\"\" flags=0x30 text=\"Say \\\"yes\\\"\\nor no\"\n");

  const std::optional<codec::Bitmap> main =
      codec::LoadBmpFile((folder.path() / "main.bmp").string());
  ASSERT_TRUE(main.has_value());
  EXPECT_EQ(main->width, 200);
  EXPECT_EQ(main->height, 130);
  EXPECT_EQ(main->pixels[static_cast<std::size_t>(120) * 200 + 190], 0xF0F0F0u);
  const std::optional<codec::Bitmap> box = codec::LoadBmpFile((folder.path() / "box.bmp").string());
  ASSERT_TRUE(box.has_value());
  EXPECT_GT(box->width, 100);
  EXPECT_GT(box->height, 60);
}

TEST(HeadlessProgram, PostsCommandsWithTheNamedSender) {
  TempFolder folder;
  const ProbeRun run =
      RunProbe(folder, "command 12 0 main\ncommand 4 5 0\ncommand 11 0 control:1\nclose\n");
  EXPECT_EQ(run.exitCode, 7);
  EXPECT_EQ(run.out, "command 12 0 main\ncommand 4 5 0\ncommand 11 0 control:1\n");
}

struct FailureCase {
  const char* name;
  const char* script;
  int exitCode;
  const char* err;  // a part of standard error
};

const FailureCase kFailures[] = {
    {"ScriptEndsWhileWaiting", "window\n", 3, "script ended while the program waits"},
    {"UnknownCommandRunsNothing", "window\nfly\n", 4, "unknown command"},
    {"AnswerWithoutABox", "answer\n", 4, "no message box is open"},
    {"SenderBeyondTheControls", "command 1 0 control:4\n", 4, "no control 4"},
    {"DumpboxWithoutABox", "dumpbox x.bmp\n", 4, "no message box is open"},
    {"DumpToAMissingFolder", "dump no/such/folder/x.bmp\n", 4, "cannot write"},
};

class FailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, EndsWithItsOwnExitCodeAndSaysWhy) {
  TempFolder folder;
  const ProbeRun run = RunProbe(folder, GetParam().script);
  EXPECT_EQ(run.exitCode, GetParam().exitCode);
  EXPECT_NE(run.err.find(GetParam().err), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Failures, FailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace coretest
