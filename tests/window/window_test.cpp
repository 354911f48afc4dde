// The chooser window end to end: the real WinMain and WndProc in the headless
// program, driven by scripts in a fresh copy of the sample car folder.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue.h"
#include "headless_harness.h"

namespace window_test {
namespace {

constexpr std::uint32_t kButtonFace = 0xF0F0F0;

struct ExpectedControl {
  const char* text;
  unsigned style;
  int x, y, width, height;
  int id;
};

// Every option button is an auto radio button (0x50000009); the first of each
// group also has WS_GROUP (0x50020009) so each group box is a radio group.
constexpr ExpectedControl kControls[] = {
    {"Front Carplate", 0x50000007, 10, 10, 150, 130, 0},
    {"OFF", 0x50020009, 20, 30, 100, 30, 2},
    {"ON", 0x50000009, 20, 55, 100, 30, 3},
    {"Lights", 0x50000007, 180, 10, 150, 130, 0},
    {"OFF", 0x50020009, 190, 30, 100, 30, 6},
    {"ON", 0x50000009, 190, 55, 100, 30, 7},
    {"Extra Lights", 0x50000007, 350, 10, 150, 130, 0},
    {"Not Used", 0x50020009, 360, 30, 100, 30, 9},
    {"OFF", 0x50000009, 360, 55, 100, 30, 10},
    {"ON", 0x50000009, 360, 80, 100, 30, 11},
    {"Dashboard", 0x50000007, 520, 520, 150, 130, 0},
    {"Analog", 0x50020009, 530, 540, 100, 30, 13},
    {"Stack", 0x50000009, 530, 565, 100, 30, 14},
    {"Back Carplate", 0x50000007, 10, 520, 150, 130, 0},
    {"OFF", 0x50020009, 20, 540, 100, 30, 15},
    {"ON", 0x50000009, 20, 565, 100, 30, 16},
    {"Top Wing", 0x50000007, 180, 520, 150, 130, 0},
    {"OFF", 0x50020009, 190, 540, 100, 30, 17},
    {"ON", 0x50000009, 190, 565, 100, 30, 18},
    {"Mudflap", 0x50000007, 350, 520, 150, 130, 0},
    {"OFF", 0x50020009, 360, 540, 100, 30, 19},
    {"ON", 0x50000009, 360, 565, 100, 30, 20},
    {"Mirror, CB Anten", 0x50000007, 520, 10, 150, 130, 0},
    {"80's", 0x50020009, 530, 30, 100, 30, 21},
    {"Modern", 0x50000009, 530, 55, 100, 30, 22},
    {"Install Parts and Exit", 0x50000000, 250, 320, 180, 30, 1},
};

// Top-left corners of the preview rectangles, by group number - 1.
constexpr int kPreviewX[kGroupCount] = {10, 180, 350, 520, 10, 180, 350, 520};
constexpr int kPreviewY[kGroupCount] = {160, 160, 160, 360, 360, 360, 360, 160};
constexpr const char* kPlaceholders[kGroupCount] = {
    "ini\\choose.bmp",  "ini\\choose.bmp",  "ini\\choose.bmp",  "ini\\choose3.bmp",
    "ini\\choose2.bmp", "ini\\choose2.bmp", "ini\\choose2.bmp", "ini\\choose.bmp"};

const std::string kWarningLine =
    "messagebox owner=main caption=\"\" flags=0x30 text=\"Choose one all 8 boxes!\"";
const std::string kInstalledLine =
    "messagebox owner=main caption=\"\" flags=0x40 text=\"Parts installed\"";
const std::string kInstallClick = "click 340 335\n";

// A click inside the option button with this identifier, clear of the
// neighbour that overlaps its lower 5 pixels.
std::string ClickOption(int id) {
  for (const ExpectedControl& control : kControls) {
    if (control.id == id && control.id != 1) {
      return "click " + std::to_string(control.x + 20) + " " + std::to_string(control.y + 10) +
             "\n";
    }
  }
  ADD_FAILURE() << "no option button with identifier " << id;
  return "";
}

int OptionId(int group, std::int32_t choice) {
  return FindOption(group, choice)->controlId;
}

// Clicks for every group whose entry is non-zero.
std::string ClickChoices(const Choices& choices) {
  std::string script;
  for (int group = 1; group <= kGroupCount; ++group) {
    const std::int32_t choice = choices[group - 1];
    if (choice != 0)
      script += ClickOption(OptionId(group, choice));
  }
  return script;
}

struct ControlLine {
  int number;
  std::string className;
  std::string text;
  unsigned style;
  int x, y, width, height;
  int id;
  bool checked;
};

std::string Unescape(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      ++i;
      plain += text[i] == 'n' ? '\n' : text[i];
    } else {
      plain += text[i];
    }
  }
  return plain;
}

// Every `controls` listing of a run, each one the lines it printed.
std::vector<std::vector<ControlLine>> ControlListings(const RunResult& run) {
  static const std::regex kLine(
      R"re(control (\d+) class=(\S+) text="((?:[^"\\]|\\.)*)" style=0x([0-9A-Fa-f]+) )re"
      R"re(rect=(-?\d+),(-?\d+),(-?\d+),(-?\d+) id=(-?\d+) checked=([01]))re");
  std::vector<std::vector<ControlLine>> listings;
  for (const std::string& line : run.LinesStartingWith("control ")) {
    std::smatch m;
    if (!std::regex_match(line, m, kLine)) {
      ADD_FAILURE() << "unreadable line: " << line;
      continue;
    }
    ControlLine control{std::stoi(m[1]), m[2],
                        Unescape(m[3]),  static_cast<unsigned>(std::stoul(m[4], nullptr, 16)),
                        std::stoi(m[5]), std::stoi(m[6]),
                        std::stoi(m[7]), std::stoi(m[8]),
                        std::stoi(m[9]), m[10] == "1"};
    if (control.number == 1)
      listings.emplace_back();
    if (listings.empty()) {
      ADD_FAILURE() << "listing does not start with control 1";
      continue;
    }
    listings.back().push_back(control);
  }
  return listings;
}

std::set<int> CheckedIds(const std::vector<ControlLine>& listing) {
  std::set<int> ids;
  for (const ControlLine& control : listing) {
    if (control.checked)
      ids.insert(control.id);
  }
  return ids;
}

class ChooserWindowTest : public ::testing::Test {
 protected:
  ChooserWindowTest()
      : car_(fs::path(temp_.path()) / "car"), reference_(fs::path(temp_.path()) / "reference") {
    CopySampleCar(car_);
  }

  RunResult Run(const std::string& script) { return RunHeadless(car_, script); }

  fs::path Dump(const std::string& name) const { return fs::path(temp_.path()) / (name + ".bmp"); }
  std::string DumpCommand(const std::string& name) const {
    return "dump " + Dump(name).string() + "\n";
  }

  codec::Bitmap Picture(std::string_view catalogPath) const {
    return LoadBitmap(InFolder(car_, catalogPath));
  }

  // The 160x160 picture of a group's slot, compared where it stands.
  void ExpectSlotShows(const codec::Bitmap& dump, int group, std::string_view catalogPath) {
    const int x = kPreviewX[group - 1];
    const int y = kPreviewY[group - 1];
    EXPECT_EQ("", CompareWithPicture(dump, {x, y, x + 160, y + 160}, Picture(catalogPath), x, y))
        << "slot " << group << " should show " << catalogPath;
  }

  // The files an install with these choices leaves, made by the engine itself
  // on a second copy of the sample car.
  std::map<std::string, std::string> EngineResult(const Choices& choices) {
    CopySampleCar(reference_);
    EXPECT_TRUE(RunEngineIn(reference_, choices).succeeded);
    return Contents(reference_);
  }

  TempFolder temp_;
  fs::path car_;
  fs::path reference_;
};

TEST_F(ChooserWindowTest, MainWindowAndItsControlsStandWhereTheLayoutPutsThem) {
  const RunResult run = Run("window\ncontrols\nclose\n");
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(std::vector<std::string>{"window title=\"Karvo Zelt Omra Lights and Parts Changer\" "
                                     "class=\"Karvo Zelt Omra Lights and Parts\" style=0x10CF0000 "
                                     "outer=50,20,695,700 client=687,673"},
            run.LinesStartingWith("window "));

  const auto listings = ControlListings(run);
  ASSERT_EQ(1u, listings.size());
  const std::vector<ControlLine>& controls = listings[0];
  ASSERT_EQ(std::size(kControls), controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    SCOPED_TRACE("control " + std::to_string(i + 1));
    const ExpectedControl& expected = kControls[i];
    EXPECT_EQ("button", controls[i].className);
    EXPECT_EQ(expected.text, controls[i].text);
    EXPECT_EQ(expected.style, controls[i].style);
    EXPECT_EQ(expected.x, controls[i].x);
    EXPECT_EQ(expected.y, controls[i].y);
    EXPECT_EQ(expected.width, controls[i].width);
    EXPECT_EQ(expected.height, controls[i].height);
    EXPECT_EQ(expected.id, controls[i].id);
    EXPECT_FALSE(controls[i].checked);
  }
}

// Each group box is a radio group of its own: a click checks its option and
// unchecks only the other options of the same group.
TEST_F(ChooserWindowTest, EachGroupKeepsItsOwnCheckMark) {
  struct Step {
    int click;
    std::set<int> checked;
  };
  const Step steps[] = {
      {2, {2}},
      {7, {2, 7}},
      {3, {3, 7}},
      {3, {3, 7}},
      {11, {3, 7, 11}},
      {9, {3, 7, 9}},
      {22, {3, 7, 9, 22}},
      {14, {3, 7, 9, 14, 22}},
      {21, {3, 7, 9, 14, 21}},
  };
  std::string script;
  for (const Step& step : steps)
    script += ClickOption(step.click) + "controls\n";
  const RunResult run = Run(script + "close\n");
  ASSERT_EQ(0, run.exitCode) << run.err;

  const auto listings = ControlListings(run);
  ASSERT_EQ(std::size(steps), listings.size());
  for (std::size_t i = 0; i < listings.size(); ++i) {
    EXPECT_EQ(steps[i].checked, CheckedIds(listings[i])) << "after clicking " << steps[i].click;
  }
}

TEST_F(ChooserWindowTest, StartShowsThePlaceholdersAndButtonFaceAround) {
  const RunResult run = Run(DumpCommand("start") + "close\n");
  ASSERT_EQ(0, run.exitCode) << run.err;
  const codec::Bitmap dump = LoadBitmap(Dump("start"));
  ASSERT_EQ(687, dump.width);
  ASSERT_EQ(673, dump.height);
  for (int group = 1; group <= kGroupCount; ++group) {
    ExpectSlotShows(dump, group, kPlaceholders[group - 1]);
  }
  // Parts of the preview rectangles that neither a picture nor a control covers.
  const Area uncovered[] = {{10, 320, 170, 360},  {180, 320, 250, 360}, {430, 320, 510, 360},
                            {520, 320, 680, 360}, {160, 520, 170, 660}, {10, 650, 170, 660},
                            {670, 520, 680, 660}, {520, 650, 680, 660}};
  for (const Area& area : uncovered)
    EXPECT_EQ("", CompareWithColor(dump, area, kButtonFace));
}

TEST_F(ChooserWindowTest, ClicksShowTheChosenPicturesAndRepaintsKeepThem) {
  // Front plate OFF, Lights ON, bumper lights ON, Stack, back plate ON, wing
  // OFF (shown by wing\on.bmp), mudflaps ON, 80's mirror.
  const Choices choices{1, 2, 3, 2, 2, 1, 2, 1};
  const std::string script = ClickOption(7) + DumpCommand("one") + ClickChoices(choices) +
                             ClickOption(21) + DumpCommand("all") + "expose 0 0 687 673\n" +
                             DumpCommand("exposed") + "close\n";
  const RunResult run = Run(script);
  ASSERT_EQ(0, run.exitCode) << run.err;

  // One slot takes its picture; the others that show the same placeholder
  // file keep showing it.
  const codec::Bitmap one = LoadBitmap(Dump("one"));
  ExpectSlotShows(one, 2, "ini\\Lights\\on.bmp");
  for (int group : {1, 3, 8})
    ExpectSlotShows(one, group, "ini\\choose.bmp");

  const codec::Bitmap all = LoadBitmap(Dump("all"));
  for (int group = 1; group <= kGroupCount; ++group) {
    ExpectSlotShows(all, group, FindOption(group, choices[group - 1])->previewPicture);
  }
  EXPECT_TRUE(all.pixels == LoadBitmap(Dump("exposed")).pixels);
  fs::copy_file(Dump("all"), fs::path(KARVO_DUMP_DIR) / "main-window.bmp",
                fs::copy_options::overwrite_existing);
}

// A repaint after a click does not erase: whatever the new picture leaves
// uncovered must still be painted, or the old picture would show through.
TEST_F(ChooserWindowTest, NoLeftoversWhereTheNewPictureDoesNotReach) {
  struct Case {
    const char* name;
    std::optional<codec::Bitmap> lightsOn;  // nothing: the file is missing
    Area picture;                           // where the new picture shows
    std::vector<Area> buttonFace;
  };
  const std::uint32_t kBlue = 0x2040C0;
  const Case cases[] = {
      {"missing", std::nullopt, {0, 0, 0, 0}, {{180, 160, 340, 320}, {180, 320, 250, 360}}},
      {"small",
       SolidBitmap(100, 80, kBlue),
       {180, 160, 280, 240},
       {{280, 160, 340, 240}, {180, 240, 340, 320}, {180, 320, 250, 360}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const fs::path car = fs::path(temp.path()) / "car";
    CopySampleCar(car);
    const fs::path lightsOn = InFolder(car, "ini\\Lights\\on.bmp");
    fs::remove(lightsOn);
    if (c.lightsOn) {
      ASSERT_TRUE(codec::WriteBmpFile(lightsOn.string(), *c.lightsOn));
    }

    const fs::path dumpFile = fs::path(temp.path()) / "dump.bmp";
    const RunResult run =
        RunHeadless(car, ClickOption(7) + "dump " + dumpFile.string() + "\nclose\n");
    ASSERT_EQ(0, run.exitCode) << run.err;
    const codec::Bitmap dump = LoadBitmap(dumpFile);
    if (c.lightsOn) {
      EXPECT_EQ("", CompareWithColor(dump, c.picture, kBlue));
    }
    for (const Area& area : c.buttonFace) {
      EXPECT_EQ("", CompareWithColor(dump, area, kButtonFace));
    }
  }
}

// Pictures taller than 160: the later copy covers the earlier one where the
// rectangles overlap, and no picture shows over a control.
TEST_F(ChooserWindowTest, TallPicturesOverlapInSlotOrderAndStayOffTheControls) {
  const std::uint32_t kUpper = 0xFF00FF;
  const std::uint32_t kLower = 0x00FFFF;
  ASSERT_TRUE(codec::WriteBmpFile(InFolder(car_, "ini\\choose.bmp").string(),
                                  SolidBitmap(160, 300, kUpper)));
  ASSERT_TRUE(codec::WriteBmpFile(InFolder(car_, "ini\\choose2.bmp").string(),
                                  SolidBitmap(160, 300, kLower)));
  const codec::Bitmap dashboard = Picture("ini\\choose3.bmp");
  const RunResult run = Run(DumpCommand("tall") + "close\n");
  ASSERT_EQ(0, run.exitCode) << run.err;
  const codec::Bitmap dump = LoadBitmap(Dump("tall"));

  // Left three columns: the lower slot is copied later and wins from y = 360.
  EXPECT_EQ("", CompareWithColor(dump, {10, 160, 170, 360}, kUpper));
  EXPECT_EQ("", CompareWithColor(dump, {10, 360, 170, 520}, kLower));
  EXPECT_EQ("", CompareWithColor(dump, {160, 520, 170, 660}, kLower));
  // Right column: slot 8 is copied last and covers the top 100 rows of slot 4.
  EXPECT_EQ("", CompareWithColor(dump, {520, 160, 680, 460}, kUpper));
  EXPECT_EQ("", CompareWithPicture(dump, {520, 460, 680, 520}, dashboard, 520, 360));
  // The install button and the bottom group boxes show no picture pixel.
  EXPECT_EQ(0, CountColor(dump, {250, 320, 430, 350}, kUpper));
  for (int column : {10, 180, 350}) {
    EXPECT_EQ(0, CountColor(dump, {column, 520, column + 150, 650}, kLower));
  }
}

TEST_F(ChooserWindowTest, InstallWithAGroupUnchosenWarnsAndTouchesNothing) {
  struct Case {
    const char* name;
    Choices choices;
  };
  const Case cases[] = {
      {"nothing chosen", {0, 0, 0, 0, 0, 0, 0, 0}},
      {"back plate unchosen", {2, 1, 2, 1, 0, 2, 1, 2}},
      {"mirror unchosen", {1, 2, 1, 2, 1, 2, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FolderSnapshot before = Snapshot(car_);
    const RunResult run =
        Run(ClickChoices(c.choices) + kInstallClick + "answer\ncontrols\nclose\n");
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(std::vector<std::string>{kWarningLine}, run.LinesStartingWith("messagebox "));
    EXPECT_EQ(1u, ControlListings(run).size()) << "the window stays open after the warning";
    EXPECT_TRUE(before == Snapshot(car_));
  }
}

TEST_F(ChooserWindowTest, CompleteInstallLeavesTheEnginesFilesAndEnds) {
  const Choices cases[] = {
      {1, 1, 1, 1, 1, 1, 1, 1},
      {2, 2, 3, 2, 2, 2, 2, 2},
      {2, 1, 2, 1, 1, 2, 1, 2},
  };
  for (const Choices& choices : cases) {
    TempFolder temp;
    const fs::path car = fs::path(temp.path()) / "car";
    CopySampleCar(car);
    // Another option of each group first: only the last click counts.
    Choices others = choices;
    for (std::int32_t& choice : others)
      choice = choice == 1 ? 2 : 1;
    const RunResult run =
        RunHeadless(car, ClickChoices(others) + ClickChoices(choices) + kInstallClick + "answer\n");
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(std::vector<std::string>{kInstalledLine}, run.LinesStartingWith("messagebox "));
    const fs::path reference = fs::path(temp.path()) / "reference";
    CopySampleCar(reference);
    ASSERT_TRUE(RunEngineIn(reference, choices).succeeded);
    EXPECT_TRUE(Contents(reference) == Contents(car))
        << "choices " << ::testing::PrintToString(choices);
  }
}

TEST_F(ChooserWindowTest, FailedInstallShowsTheProblemsAndTouchesNothing) {
  const Choices choices{2, 2, 3, 2, 2, 2, 2, 2};
  fs::remove(InFolder(car_, "ini\\mirror\\racing\\racing.txt"));
  CopySampleCar(reference_);
  fs::remove(InFolder(reference_, "ini\\mirror\\racing\\racing.txt"));
  const EngineRun engine = RunEngineIn(reference_, choices);
  ASSERT_FALSE(engine.succeeded);
  std::string text = "Parts not installed:";
  for (const std::string& line : engine.problemLines)
    text += "\n" + line;

  const FolderSnapshot before = Snapshot(car_);
  const RunResult run = Run(ClickChoices(choices) + kInstallClick + "answer\ncontrols\nclose\n");
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(std::vector<std::string>{"messagebox owner=main caption=\"\" flags=0x10 text=\"" +
                                     EscapeForPresenter(text) + "\""},
            run.LinesStartingWith("messagebox "));
  EXPECT_NE(std::string::npos, text.find("ini\\mirror\\racing\\racing.txt"));
  EXPECT_EQ(1u, ControlListings(run).size()) << "the window stays open after the error";
  EXPECT_TRUE(before == Snapshot(car_));
}

TEST_F(ChooserWindowTest, ClosingEndsWithExitCodeZeroAndTouchesNothing) {
  const std::string cases[] = {
      "close\n",
      ClickChoices({1, 2, 1, 2, 1, 2, 1, 2}) + "close\n",
      ClickOption(3) + kInstallClick + "answer\nclose\n",
  };
  for (const std::string& script : cases) {
    SCOPED_TRACE(script);
    const FolderSnapshot before = Snapshot(car_);
    const RunResult run = Run(script);
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_TRUE(before == Snapshot(car_));
  }
}

// WM_COMMAND sent by hand: only BN_CLICKED from the install button installs;
// any BN_CLICKED with an option's identifier chooses, whoever sends it.
TEST_F(ChooserWindowTest, CommandsActOnlyOnTheirIdentifierCodeAndSender) {
  // Commands that should all do the same share one run.
  struct Case {
    const char* commands;
    bool warns;          // the commands open the warning (once)
    bool choosesLights;  // group 2 takes "ON" and its picture
  };
  const Case cases[] = {
      {"command 1 0 control:26\n", true, false},
      {"command 1 0 0\ncommand 1 0 main\ncommand 1 0 control:6\ncommand 1 1 control:26\n", false,
       false},
      {"command 7 0 0\n", false, true},
      {"command 7 0 control:1\n", false, true},
      {"command 7 1 control:6\ncommand 7 5 main\n", false, false},
      {"command 0 0 0\ncommand 4 0 0\ncommand 5 0 0\ncommand 8 0 0\ncommand 12 0 0\n"
       "command 23 0 0\ncommand 65535 0 0\n",
       false, false},
  };
  // Every group chosen except Lights, so the last install press tells whether
  // the command stored a choice for it.
  const Choices others{1, 0, 2, 1, 2, 1, 2, 1};
  std::set<int> othersIds;
  for (int group = 1; group <= kGroupCount; ++group) {
    if (others[group - 1] != 0)
      othersIds.insert(OptionId(group, others[group - 1]));
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commands);
    TempFolder temp;
    const fs::path car = fs::path(temp.path()) / "car";
    CopySampleCar(car);
    const fs::path dumpFile = fs::path(temp.path()) / "dump.bmp";
    std::string script = c.commands;
    if (c.warns)
      script += "answer\n";
    // The second listing shows whether the clicks reached the buttons, that is
    // whether no box was left open by the command.
    script += "dump " + dumpFile.string() + "\ncontrols\n" + ClickChoices(others) + "controls\n" +
              kInstallClick + "answer\n";
    if (!c.choosesLights)
      script += "close\n";
    const RunResult run = RunHeadless(car, script);
    EXPECT_EQ(0, run.exitCode) << run.err;

    std::vector<std::string> boxes;
    if (c.warns)
      boxes.push_back(kWarningLine);
    boxes.push_back(c.choosesLights ? kInstalledLine : kWarningLine);
    EXPECT_EQ(boxes, run.LinesStartingWith("messagebox "));

    const codec::Bitmap dump = LoadBitmap(dumpFile);
    for (int group = 1; group <= kGroupCount; ++group) {
      const bool chosen = group == 2 && c.choosesLights;
      const std::string_view shown = chosen ? "ini\\Lights\\on.bmp" : kPlaceholders[group - 1];
      const int x = kPreviewX[group - 1];
      const int y = kPreviewY[group - 1];
      EXPECT_EQ("", CompareWithPicture(dump, {x, y, x + 160, y + 160},
                                       LoadBitmap(InFolder(car, shown)), x, y))
          << "slot " << group;
    }
    const auto listings = ControlListings(run);
    ASSERT_EQ(2u, listings.size());
    EXPECT_TRUE(CheckedIds(listings[0]).empty()) << "a command checks no button";
    EXPECT_EQ(othersIds, CheckedIds(listings[1]));
  }
}

TEST(SamplePictures, GeneratorReproducesTheCommittedPictures) {
  TempFolder temp;
  const RunResult run =
      RunProgram(KARVO_PICTURE_GENERATOR, {(fs::path(temp.path()) / "car").string()},
                 fs::path(temp.path()), fs::path(temp.path()));
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::map<std::string, std::string> generated = Contents(fs::path(temp.path()) / "car");
  ASSERT_FALSE(generated.empty());
  for (const auto& [name, bytes] : generated) {
    EXPECT_TRUE(bytes == ReadAll(fs::path(KARVO_EXAMPLE_DIR) / name)) << name;
  }
}

}  // namespace
}  // namespace window_test
