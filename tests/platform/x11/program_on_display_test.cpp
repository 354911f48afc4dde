// The program on a real X display (Xvfb), driven as a player drives it: real
// presses and keys through xdotool, the window manager's close through our
// send_wm_delete, screenshots through import. What the screen shows is
// compared pixel for pixel with the headless program's surface dumps after the
// same input, and the files with what the headless program leaves.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <X11/Xutil.h>

#include <algorithm>

#include "catalogue.h"
#include "x11_harness.h"

namespace x11test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr const char* kTitle = "Karvo Zelt Omra Lights and Parts Changer";
constexpr int kClientWidth = 687;  // the 695 by 700 window less its frame
constexpr int kClientHeight = 673;
constexpr int kMainX = 50;
constexpr int kMainY = 20;
constexpr int kInstallX = 340;  // the middle of "Install Parts and Exit"
constexpr int kInstallY = 335;
const std::vector<std::string> kNone;

// One thing the player does, in the main window's client coordinates.
struct Action {
  enum Kind { kClick, kPressRelease, kResize } kind;
  int x, y;
  int x2 = 0, y2 = 0;  // where a press is released
};

Action Click(int x, int y) {
  return {Action::kClick, x, y};
}

// An option button is 100 by 30 and the next one overlaps its last 5 rows:
// pressing 10 below its top hits only that button.
Action ClickOption(int left, int top) {
  return Click(left + 15, top + 10);
}

// One option in every group, in the order of the groups.
const std::vector<Action> kEveryGroup = {
    ClickOption(20, 55),    // Front Carplate: ON
    ClickOption(190, 55),   // Lights: ON
    ClickOption(360, 80),   // Extra Lights: ON
    ClickOption(530, 565),  // Dashboard: Stack
    ClickOption(20, 540),   // Back Carplate: OFF
    ClickOption(190, 565),  // Top Wing: ON
    ClickOption(360, 540),  // Mudflap: OFF
    ClickOption(530, 30),   // Mirror, CB Anten: 80's
};

std::vector<Action> Then(std::vector<Action> actions, const Action& next) {
  actions.push_back(next);
  return actions;
}

std::string HeadlessScript(const std::vector<Action>& actions) {
  std::ostringstream script;
  for (const Action& a : actions) {
    switch (a.kind) {
      case Action::kClick:
        script << "click " << a.x << ' ' << a.y << '\n';
        break;
      case Action::kPressRelease:
        script << "press " << a.x << ' ' << a.y << "\nrelease " << a.x2 << ' ' << a.y2 << '\n';
        break;
      case Action::kResize:
        script << "resize " << a.x << ' ' << a.y << '\n';
        break;
    }
  }
  return script.str();
}

class ProgramOnDisplay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = XvfbServer::Start(serverError_).release(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (server_ == nullptr) {
      if (serverError_.find("not installed") != std::string::npos) {
        GTEST_SKIP() << serverError_ << "; the tests on a display need it";
      }
      GTEST_FAIL() << serverError_;
    }
    char stem[] = "/tmp/karvo-x11-test-XXXXXX";
    ASSERT_NE(mkdtemp(stem), nullptr);
    root_ = stem;
    car_ = root_ / "car";
    CopyFolder(KARVO_EXAMPLE_DIR, car_.string());
    client_ = std::make_unique<XClient>(server_->Name());
    ASSERT_NE(client_->Get(), nullptr);
  }

  void TearDown() override {
    program_.reset();
    client_.reset();
    if (!root_.empty()) {
      fs::remove_all(root_);
    }
  }

  std::map<std::string, std::string> Env() const { return {{"DISPLAY", server_->Name()}}; }

  // Starts the program in the car folder and waits for its main window.
  Window StartProgram() {
    program_ = std::make_unique<ChildProcess>(std::vector<std::string>{KARVO_PROGRAM},
                                              car_.string(), Env(), (root_ / "program").string());
    const std::optional<Window> main = client_->WaitFor([](XClient& x) -> std::optional<Window> {
      for (const Window w : x.TopLevels()) {
        if (x.Title(w) == kTitle) {
          return w;
        }
      }
      return std::nullopt;
    });
    if (!main) {
      ADD_FAILURE() << "no main window; the program's stderr: " << program_->Stderr();
      return 0;
    }
    return *main;
  }

  std::optional<Window> WaitForBox(Window owner, milliseconds timeout = seconds(10)) {
    return client_->WaitFor(
        [owner](XClient& x) -> std::optional<Window> {
          for (const Window w : x.TopLevels()) {
            if (x.TransientFor(w) == owner) {
              return w;
            }
          }
          return std::nullopt;
        },
        timeout);
  }

  void Xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    const CommandResult result = RunCommand(argv, "", Env());
    ASSERT_EQ(result.exitCode, 0) << "xdotool failed: " << result.err;
  }

  void ClickAt(Window window, int x, int y) {
    const XClient::Geometry g = client_->GeometryOf(window);
    Xdotool({"mousemove", std::to_string(g.x + x), std::to_string(g.y + y), "click", "1"});
  }

  void Perform(Window main, const std::vector<Action>& actions) {
    const XClient::Geometry g = client_->GeometryOf(main);
    const auto sx = [&](int x) { return std::to_string(g.x + x); };
    const auto sy = [&](int y) { return std::to_string(g.y + y); };
    for (const Action& a : actions) {
      switch (a.kind) {
        case Action::kClick:
          ClickAt(main, a.x, a.y);
          break;
        case Action::kPressRelease:
          Xdotool({"mousemove", sx(a.x), sy(a.y), "mousedown", "1", "mousemove", "--sync", sx(a.x2),
                   sy(a.y2), "mouseup", "1"});
          break;
        case Action::kResize:
          Xdotool({"windowsize", std::to_string(main), std::to_string(a.x), std::to_string(a.y)});
          break;
      }
    }
  }

  void SendWmDelete(Window window) {
    const CommandResult result =
        RunCommand({KARVO_SEND_WM_DELETE, std::to_string(window)}, "", Env());
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }

  // Runs the headless program on a fresh copy of `folder` with `script`, and
  // returns the copy's path.
  fs::path RunHeadless(const fs::path& folder, const std::string& script, const std::string& name) {
    const fs::path copy = root_ / name;
    CopyFolder(folder.string(), copy.string());
    const fs::path scriptPath = root_ / (name + ".script");
    std::ofstream(scriptPath) << script;
    const CommandResult result =
        RunCommand({KARVO_HEADLESS, scriptPath.string()}, copy.string(), {{"DISPLAY", ""}});
    EXPECT_EQ(result.exitCode, 0) << "headless run " << name << ": " << result.err;
    return copy;
  }

  // The headless surface of the main window (or, with `box`, of the open
  // message box) after `actions`, starting from the car folder as it is now.
  Image HeadlessPicture(const std::string& script, bool box, const std::string& name) {
    const fs::path dump = root_ / (name + ".bmp");
    const std::string finish = box ? "dumpbox " + dump.string() + "\nanswer\nclose\n"
                                   : "dump " + dump.string() + "\nclose\n";
    RunHeadless(car_, script + finish, name);
    std::optional<Image> image = LoadBmpImage(dump.string());
    EXPECT_TRUE(image) << "no dump from the headless run " << name;
    return image.value_or(Image{});
  }

  // Compares what `window` shows with `expected`; on a difference both are
  // kept beside the test's output for a look.
  void ExpectShows(Window window, const Image& expected, const std::string& what) {
    const Image shown = WaitForPicture(server_->Name(), window, expected);
    const std::size_t differences = CountDifferences(shown, expected);
    if (differences != 0) {
      const std::string stem = (fs::current_path() / ("x11-" + what)).string();
      SaveBmpImage(stem + "-screen.bmp", shown);
      SaveBmpImage(stem + "-headless.bmp", expected);
    }
    EXPECT_EQ(differences, 0u) << what << ": the screen (" << shown.width << "x" << shown.height
                               << ") differs from the headless surface (" << expected.width << "x"
                               << expected.height << ")";
  }

  void ExpectExit(int code) {
    const std::optional<int> exit = program_->WaitExit(seconds(10));
    ASSERT_TRUE(exit) << "the program did not end";
    EXPECT_EQ(*exit, code) << program_->Stderr();
  }

  static XvfbServer* server_;
  static std::string serverError_;
  fs::path root_;
  fs::path car_;
  std::unique_ptr<XClient> client_;
  std::unique_ptr<ChildProcess> program_;
};

XvfbServer* ProgramOnDisplay::server_ = nullptr;
std::string ProgramOnDisplay::serverError_;

TEST_F(ProgramOnDisplay, OpensTheMainWindowAndClosesOnTheWindowManagersRequest) {
  const auto before = Snapshot(car_.string());
  const Window main = StartProgram();
  ASSERT_NE(main, 0u);

  EXPECT_EQ(client_->Property(main, "_NET_WM_NAME").value_or(""), kTitle);
  EXPECT_TRUE(client_->HasDeleteProtocol(main));
  const XClient::Geometry g = client_->GeometryOf(main);
  EXPECT_EQ(g.x, kMainX);
  EXPECT_EQ(g.y, kMainY);
  EXPECT_EQ(g.width, kClientWidth);
  EXPECT_EQ(g.height, kClientHeight);
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_NE(XGetWMNormalHints(client_->Get(), main, &hints, &supplied), 0);
  EXPECT_TRUE(hints.flags & PPosition);
  EXPECT_EQ(hints.x, kMainX);
  EXPECT_EQ(hints.y, kMainY);
  EXPECT_EQ(hints.width, kClientWidth);
  EXPECT_EQ(hints.height, kClientHeight);

  ExpectShows(main, HeadlessPicture("", false, "start"), "start");

  SendWmDelete(main);
  ExpectExit(0);
  EXPECT_EQ(DifferingFiles(Snapshot(car_.string()), before), kNone) << "closing touched a file";
}

// The screen after the player's input, then covered by another window and
// uncovered, is the headless surface after the same input.
struct InputCase {
  const char* name;
  std::vector<Action> actions;
};

void PrintTo(const InputCase& c, std::ostream* os) {
  *os << c.name;
}

class InputOnDisplay : public ProgramOnDisplay, public ::testing::WithParamInterface<InputCase> {};

TEST_P(InputOnDisplay, ShowsWhatTheHeadlessSurfaceShows) {
  const Window main = StartProgram();
  ASSERT_NE(main, 0u);
  const std::vector<Action>& actions = GetParam().actions;
  const Image expected = HeadlessPicture(HeadlessScript(actions), false, GetParam().name);
  Perform(main, actions);
  ExpectShows(main, expected, std::string(GetParam().name) + "-clicked");

  // Another client's window over the middle of ours, then gone again.
  Display* d = client_->Get();
  const XClient::Geometry g = client_->GeometryOf(main);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = 0x00FF00FF;
  const Window cover =
      XCreateWindow(d, DefaultRootWindow(d), g.x + 100, g.y + 100, 400, 400, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(d, cover);
  XSync(d, False);
  ASSERT_TRUE(client_->WaitFor([cover](XClient& x) -> std::optional<Window> {
    return x.Exists(cover) ? std::optional<Window>(cover) : std::nullopt;
  }));
  XDestroyWindow(d, cover);
  XSync(d, False);
  ExpectShows(main, expected, std::string(GetParam().name) + "-uncovered");

  SendWmDelete(main);
  ExpectExit(0);
}

INSTANTIATE_TEST_SUITE_P(
    Input, InputOnDisplay,
    ::testing::Values(InputCase{"every_group", kEveryGroup},
                      // The later of two options of one group wins; a press that leaves its
                      // button before the release clicks nothing.
                      InputCase{"press_released_elsewhere",
                                {ClickOption(190, 30),
                                 ClickOption(190, 55),
                                 {Action::kPressRelease, 35, 40, 600, 300}}},
                      // Growing shows the new area in the button face and moves nothing.
                      InputCase{"enlarged", {ClickOption(360, 30), {Action::kResize, 800, 720}}}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// Each way of answering the warning closes it and only it; while it is open
// the main window takes no clicks.
struct AnswerCase {
  const char* name;
  enum How { kKey, kClickOk, kWmDelete } how;
  const char* key = nullptr;  // xdotool's name of the key
};

void PrintTo(const AnswerCase& c, std::ostream* os) {
  *os << c.name;
}

class WarningOnDisplay : public ProgramOnDisplay,
                         public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(WarningOnDisplay, IsAnsweredAndLeavesEverythingAsItWas) {
  const auto before = Snapshot(car_.string());
  const Window main = StartProgram();
  ASSERT_NE(main, 0u);
  const std::string installScript =
      "click " + std::to_string(kInstallX) + " " + std::to_string(kInstallY) + "\n";
  const Image expectedBox = HeadlessPicture(installScript, true, "warning");
  const Image expectedMain = HeadlessPicture("", false, "start");

  ClickAt(main, kInstallX, kInstallY);
  const std::optional<Window> box = WaitForBox(main);
  ASSERT_TRUE(box) << "no message box";
  EXPECT_EQ(client_->Title(*box), "");
  const XClient::Geometry m = client_->GeometryOf(main);
  const XClient::Geometry b = client_->GeometryOf(*box);
  EXPECT_NEAR(b.x + b.width / 2, m.x + m.width / 2, 1) << "not centred over the main window";
  EXPECT_NEAR(b.y + b.height / 2, m.y + m.height / 2, 1) << "not centred over the main window";
  ExpectShows(*box, expectedBox, std::string("warning-") + GetParam().name);

  ClickAt(main, 35, 40);  // an option of the main window, which is disabled now
  switch (GetParam().how) {
    case AnswerCase::kKey:
      Xdotool({"key", GetParam().key});
      break;
    case AnswerCase::kClickOk:
      // OK stands at the right end of the band below the text, 88 by 26.
      ClickAt(*box, b.width - 12 - 44, b.height - 22);
      break;
    case AnswerCase::kWmDelete:
      SendWmDelete(*box);
      break;
  }
  EXPECT_TRUE(client_->WaitGone(*box)) << "the box stayed open";
  EXPECT_TRUE(client_->Exists(main));
  ExpectShows(main, expectedMain, std::string("after-warning-") + GetParam().name);
  EXPECT_TRUE(program_->Running());
  EXPECT_EQ(DifferingFiles(Snapshot(car_.string()), before), kNone) << "the warning touched a file";
}

INSTANTIATE_TEST_SUITE_P(Answers, WarningOnDisplay,
                         ::testing::Values(AnswerCase{"Return", AnswerCase::kKey, "Return"},
                                           AnswerCase{"KP_Enter", AnswerCase::kKey, "KP_Enter"},
                                           AnswerCase{"space", AnswerCase::kKey, "space"},
                                           AnswerCase{"Escape", AnswerCase::kKey, "Escape"},
                                           AnswerCase{"click_ok", AnswerCase::kClickOk},
                                           AnswerCase{"wm_delete", AnswerCase::kWmDelete}),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ProgramOnDisplay, CompleteInstallWritesTheFilesAndExitsZero) {
  const auto original = Snapshot(car_.string());
  const std::string chosen = HeadlessScript(Then(kEveryGroup, Click(kInstallX, kInstallY)));
  const Image expectedBox = HeadlessPicture(chosen, true, "installed");
  const fs::path reference = RunHeadless(car_, chosen + "answer\n", "reference");

  const Window main = StartProgram();
  ASSERT_NE(main, 0u);
  Perform(main, kEveryGroup);
  ClickAt(main, kInstallX, kInstallY);
  const std::optional<Window> box = WaitForBox(main);
  ASSERT_TRUE(box) << "no confirmation";
  ExpectShows(*box, expectedBox, "installed");
  Xdotool({"key", "Return"});
  ExpectExit(0);

  const auto installed = Snapshot(car_.string());
  EXPECT_EQ(DifferingFiles(installed, Snapshot(reference.string())), kNone);
  EXPECT_NE(installed.at("Karvo_Zelt_Omra.ini"), original.at("Karvo_Zelt_Omra.ini"));
  // The backups hold the files as they were (a copy ends with one empty line more).
  const auto startsWith = [](const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
  };
  EXPECT_TRUE(
      startsWith(installed.at("Karvo_Zelt_Omra-ini.bak"), original.at("Karvo_Zelt_Omra.ini")));
  EXPECT_TRUE(startsWith(installed.at("Karvo_Zelt_settings_Omra-ini.bak"),
                         original.at("Karvo_Zelt_Omra_settings.ini")));
}

TEST_F(ProgramOnDisplay, FailedInstallKeepsTheWindowOpenAndTouchesNothing) {
  // The snippet of Front Carplate "ON" is gone.
  const std::string snippet = WithForwardSlashes(FindOption(1, 2)->snippetFile);
  ASSERT_TRUE(fs::remove(car_ / snippet)) << snippet;
  const auto before = Snapshot(car_.string());
  const std::string chosen = HeadlessScript(Then(kEveryGroup, Click(kInstallX, kInstallY)));
  const Image expectedBox = HeadlessPicture(chosen, true, "failed");
  const Image expectedMain = HeadlessPicture(HeadlessScript(kEveryGroup), false, "chosen");

  const Window main = StartProgram();
  ASSERT_NE(main, 0u);
  Perform(main, kEveryGroup);
  ClickAt(main, kInstallX, kInstallY);
  const std::optional<Window> box = WaitForBox(main);
  ASSERT_TRUE(box) << "no report of the failure";
  ExpectShows(*box, expectedBox, "failed");
  Xdotool({"key", "Return"});
  EXPECT_TRUE(client_->WaitGone(*box));
  ExpectShows(main, expectedMain, "after-failure");
  EXPECT_TRUE(program_->Running()) << "the main window closed after a failed install";
  EXPECT_EQ(DifferingFiles(Snapshot(car_.string()), before), kNone)
      << "a failed install touched a file";

  SendWmDelete(main);
  ExpectExit(0);
}

// Without a display the program says so in one line and leaves the folder
// as it was. No server is needed for this.
TEST(ProgramWithoutDisplay, ExitsOneWithOneLineAndTouchesNothing) {
  char stem[] = "/tmp/karvo-x11-nodisplay-XXXXXX";
  ASSERT_NE(mkdtemp(stem), nullptr);
  const fs::path car = fs::path(stem) / "car";
  CopyFolder(KARVO_EXAMPLE_DIR, car.string());
  const auto before = Snapshot(car.string());
  // Unset, and a display that no server answers.
  for (const std::string display : {"", ":4093"}) {
    const CommandResult result = RunCommand({KARVO_PROGRAM}, car.string(), {{"DISPLAY", display}});
    EXPECT_EQ(result.exitCode, 1) << "DISPLAY=" << display;
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty()) << "DISPLAY=" << display;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line: " << result.err;
    EXPECT_NE(result.err.find("display"), std::string::npos) << result.err;
  }
  EXPECT_EQ(DifferingFiles(Snapshot(car.string()), before), kNone);
  fs::remove_all(stem);
}

}  // namespace
}  // namespace x11test
