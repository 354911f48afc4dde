#include "install.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "splice.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The section a snippet of `option` carries: its lines are longer than the
// car file's own, so the new car file is larger than its backup.
Lines ChosenSection(const PartGroup& group, const PartOption& option) {
  Lines lines{std::string(group.section.marker)};
  for (int i = 1; i <= group.section.bodyLength; ++i) {
    lines.push_back("part" + std::to_string(i) + " = " + std::string(option.label) +
                    " fitted, group " + std::to_string(group.number));
  }
  return lines;
}

Lines OldSection(const PartGroup& group) {
  Lines lines{std::string(group.section.marker)};
  for (int i = 1; i <= group.section.bodyLength; ++i)
    lines.push_back("old" + std::to_string(i));
  return lines;
}

constexpr Choices kChoices{2, 1, 3, 2, 1, 2, 1, 2};
const std::string kSettings = CrLf({"[settings]", "lights = stock"});

// A small car folder: the car file with the eight sections among ordinary
// lines, the settings file, every snippet and settings variant.
class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Lines car{"; car", "mass = 1200"};
    for (const PartGroup& group : PartGroups()) {
      Lines section = OldSection(group);
      car.insert(car.end(), section.begin(), section.end());
      car.push_back("ordinary " + std::to_string(group.number));
    }
    car_ = CrLf(car);
    folder_.Write(kCarFile, car_);
    folder_.Write(kSettingsFile, kSettings);
    for (const PartGroup& group : PartGroups()) {
      for (const PartOption& option : group) {
        Lines snippet{"; " + std::string(option.label)};
        Lines section = ChosenSection(group, option);
        snippet.insert(snippet.end(), section.begin(), section.end());
        snippet.push_back("; not part of the section");
        folder_.Write(WithForwardSlashes(option.snippetFile), CrLf(snippet));
      }
    }
    for (const SettingsVariant& variant : SettingsVariants()) {
      folder_.Write(WithForwardSlashes(variant.file), CrLf({"variant", std::string(variant.file)}));
    }
  }

  // The car file that an install with `choices` writes from `car`.
  static std::string Spliced(const Choices& choices) {
    Lines lines{"; car", "mass = 1200"};
    for (const PartGroup& group : PartGroups()) {
      Lines section = ChosenSection(group, *FindOption(group.number, choices[group.number - 1]));
      lines.insert(lines.end(), section.begin(), section.end());
      lines.push_back("ordinary " + std::to_string(group.number));
    }
    // The backup's copy gained an empty line, and the splice's last read one more.
    lines.push_back("");
    lines.push_back("");
    return CrLf(lines);
  }

  InstallOutcome Install(const Choices& choices = kChoices) {
    WorkingDirectory inFolder(folder_.path());
    return InstallParts(choices);
  }

  TempFolder folder_;
  std::string car_;
};

TEST_F(InstallTest, WritesBothBackupsTheSplicedCarFileAndTheVariant) {
  InstallOutcome outcome = Install();
  ASSERT_TRUE(outcome.Succeeded()) << DescribeProblem(outcome.problems.front());
  EXPECT_EQ(folder_.Read(kCarBackup), car_ + "\r\n");
  EXPECT_EQ(folder_.Read(kSettingsBackup), kSettings + "\r\n");
  EXPECT_EQ(folder_.Read(kCarFile), Spliced(kChoices));
  // Lights OFF with Extra Lights ON.
  EXPECT_EQ(
      folder_.Read(kSettingsFile),
      CrLf({"variant", "ini\\settingschange\\LightsOFFBumperLightsON\\Karvo_Zelt_Omra_settings.ini",
            ""}));
  // No temporary file is left beside the outputs.
  std::vector<std::string> top;
  for (const auto& entry : fs::directory_iterator(folder_.path())) {
    top.push_back(entry.path().filename().string());
  }
  std::sort(top.begin(), top.end());
  EXPECT_EQ(
      top, (std::vector<std::string>{kCarBackup, kCarFile, kSettingsFile, kSettingsBackup, "ini"}));
}

TEST_F(InstallTest, SecondInstallBacksUpTheFirstInstallsCarFile) {
  ASSERT_TRUE(Install().Succeeded());
  const std::string first = folder_.Read(kCarFile);
  const Choices other{1, 2, 1, 1, 2, 1, 2, 1};
  ASSERT_TRUE(Install(other).Succeeded());
  EXPECT_EQ(folder_.Read(kCarBackup), first + "\r\n");
  EXPECT_EQ(
      folder_.Read(kSettingsFile),
      CrLf({"variant", "ini\\settingschange\\LightsONBumperLightsOFF\\Karvo_Zelt_Omra_settings.ini",
            ""}));
}

TEST_F(InstallTest, MissingSettingsFileIsCreatedFromTheVariant) {
  fs::remove(folder_.PathOf(kSettingsFile));
  ASSERT_TRUE(Install().Succeeded());
  EXPECT_FALSE(fs::exists(folder_.PathOf(kSettingsBackup)));
  EXPECT_EQ(folder_.Read(kCarFile), Spliced(kChoices));
  EXPECT_EQ(folder_.Read(kSettingsFile).substr(0, 9), "variant\r\n");
}

TEST_F(InstallTest, ExistingSpellingsAndPermissionBitsAreKept) {
  // A car folder copied from Windows: other letter case on disk.
  fs::rename(folder_.PathOf(kCarFile), folder_.PathOf("KARVO_zelt_omra.ini"));
  fs::rename(folder_.PathOf("ini"), folder_.PathOf("INI"));
  fs::rename(folder_.PathOf("INI/Lights"), folder_.PathOf("INI/lights"));
  chmod(folder_.PathOf("KARVO_zelt_omra.ini").c_str(), 0640);
  ASSERT_TRUE(Install().Succeeded());
  EXPECT_FALSE(fs::exists(folder_.PathOf(kCarFile)));
  EXPECT_EQ(folder_.Read("KARVO_zelt_omra.ini"), Spliced(kChoices));
  struct stat info;
  ASSERT_EQ(stat(folder_.PathOf("KARVO_zelt_omra.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

struct RefusedCase {
  const char* name;
  std::function<void(const TempFolder&)> prepare;
  Choices choices;
  std::vector<std::string> problems;  // as DescribeProblem gives them
};

// The files whose bytes or permission bits differ, or that only one side has.
std::vector<std::string> Changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> changed;
  for (const auto& [file, content] : before) {
    auto now = after.find(file);
    if (now == after.end() || now->second != content)
      changed.push_back(file);
  }
  for (const auto& [file, content] : after) {
    if (before.count(file) == 0)
      changed.push_back(file);
  }
  return changed;
}

void Remove(const TempFolder& folder, const std::string& relative) {
  fs::remove_all(folder.PathOf(relative));
}

void MakeReadOnly(const TempFolder& folder, const std::string& relative) {
  chmod(folder.PathOf(relative).c_str(), 0444);
}

TEST_F(InstallTest, AnyProblemLeavesEveryFileAsItWasAndListsThemAll) {
  const std::string dashboard = "ini\\dashboard\\stack\\stack.txt";
  const std::string variant =
      "ini\\settingschange\\LightsOFFBumperLightsON\\Karvo_Zelt_Omra_settings.ini";
  const RefusedCase cases[] = {
      {"car file missing",
       [](auto& f) { Remove(f, kCarFile); },
       kChoices,
       {"Karvo_Zelt_Omra.ini: missing"}},
      {"snippet missing",
       [](auto& f) { Remove(f, "ini/dashboard/stack/stack.txt"); },
       kChoices,
       {dashboard + ": missing"}},
      {"snippet without its marker",
       [](auto& f) {
         f.Write("ini/dashboard/stack/stack.txt", CrLf({"only", "text"}));
       },
       kChoices,
       {dashboard + ": has no line ----------------Dashboard----------------"}},
      {"snippet is a folder",
       [](auto& f) {
         Remove(f, "ini/dashboard/stack/stack.txt");
         fs::create_directory(f.PathOf("ini/dashboard/stack/stack.txt"));
       },
       kChoices,
       {dashboard + ": cannot be read: is a folder"}},
      {"settings variant missing",
       [](auto& f) { Remove(f, "ini/settingschange/LightsOFFBumperLightsON"); },
       kChoices,
       {variant + ": missing"}},
      {"choice that names no option",
       [](auto&) {},
       {3, 1, 3, 2, 1, 2, 1, 2},
       {"Front Carplate: choice 3 names no option"}},
      {"two problems at once",
       [](auto& f) {
         Remove(f, kCarFile);
         Remove(f, "ini/wing/on/on.txt");
       },
       kChoices,
       {"Karvo_Zelt_Omra.ini: missing", "ini\\wing\\on\\on.txt: missing"}},
      {"read-only car file",
       [](auto& f) { MakeReadOnly(f, kCarFile); },
       kChoices,
       {"Karvo_Zelt_Omra.ini: is read-only"}},
      {"read-only settings file",
       [](auto& f) { MakeReadOnly(f, kSettingsFile); },
       kChoices,
       {"Karvo_Zelt_Omra_settings.ini: is read-only"}},
      {"read-only car backup",
       [](auto& f) {
         f.Write(kCarBackup, "earlier\r\n");
         MakeReadOnly(f, kCarBackup);
       },
       kChoices,
       {"Karvo_Zelt_Omra-ini.bak: is read-only"}},
      {"data folder in two letter cases, neither as spelled",
       [](auto& f) {
         fs::rename(f.PathOf("ini/Lights"), f.PathOf("ini/LIGHTS"));
         fs::copy(f.PathOf("ini/LIGHTS"), f.PathOf("ini/lights"), fs::copy_options::recursive);
       },
       kChoices,
       {"ini\\Lights\\OFF\\off.txt: matches more than one file: ini/LIGHTS, ini/lights"}},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder fresh;
    fs::copy(folder_.path(), fresh.path(), fs::copy_options::recursive);
    c.prepare(fresh);
    const auto before = Snapshot(fresh.path());
    InstallOutcome outcome;
    {
      WorkingDirectory inFolder(fresh.path());
      outcome = InstallParts(c.choices);
    }
    std::vector<std::string> described;
    for (const InstallProblem& problem : outcome.problems) {
      described.push_back(DescribeProblem(problem));
    }
    EXPECT_EQ(described, c.problems);
    EXPECT_EQ(Changed(before, Snapshot(fresh.path())), std::vector<std::string>{});
  }
}

TEST_F(InstallTest, DataFolderMissingListsEveryFileItNeeds) {
  Remove(folder_, "ini");
  const auto before = Snapshot(folder_.path());
  InstallOutcome outcome = Install();
  // Eight snippets and the settings variant.
  EXPECT_EQ(outcome.problems.size(), 9u);
  for (const InstallProblem& problem : outcome.problems) {
    EXPECT_EQ(problem.file.substr(0, 4), "ini\\");
    EXPECT_EQ(problem.reason, "missing");
  }
  EXPECT_EQ(Changed(before, Snapshot(folder_.path())), std::vector<std::string>{});
}

// Runs the install in a child process whose files may not grow past `limit`
// bytes; returns what the child found, "ok" or the problems.
std::string InstallWithFileSizeLimit(const std::string& folder, rlim_t limit) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
    return "no pipe";
  pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit small{limit, limit};
    setrlimit(RLIMIT_FSIZE, &small);
    WorkingDirectory inFolder(folder);
    InstallOutcome outcome = InstallParts(kChoices);
    std::string text = outcome.Succeeded() ? "ok" : "";
    for (const InstallProblem& problem : outcome.problems)
      text += DescribeProblem(problem);
    ssize_t ignored = write(pipeEnds[1], text.data(), text.size());
    (void)ignored;
    _exit(0);
  }
  close(pipeEnds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, got);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return text;
}

TEST_F(InstallTest, ShortWriteLeavesCarAndSettingsFilesAsTheyWere) {
  const auto before = Snapshot(folder_.path());
  // No byte can be written: not even the backups change.
  EXPECT_EQ(InstallWithFileSizeLimit(folder_.path(), 0),
            "Karvo_Zelt_Omra-ini.bak: cannot be written: file too large");
  EXPECT_EQ(Changed(before, Snapshot(folder_.path())), std::vector<std::string>{});

  // Room for the backups but not for the new car file.
  const std::size_t backupSize = car_.size() + 2;
  ASSERT_GT(Spliced(kChoices).size(), backupSize + 1);
  EXPECT_EQ(InstallWithFileSizeLimit(folder_.path(), backupSize + 1),
            "Karvo_Zelt_Omra.ini: cannot be written: file too large");
  // The backups were made; nothing else changed and no temporary file is left.
  EXPECT_EQ(Changed(before, Snapshot(folder_.path())),
            (std::vector<std::string>{kCarBackup, kSettingsBackup}));
  EXPECT_EQ(folder_.Read(kCarBackup), car_ + "\r\n");
}

}  // namespace

namespace {

Lines ReadLines(const std::string& path) {
  LineReader reader(path);
  Lines lines;
  std::string line;
  while (reader.IsOpen() && !reader.AtEnd()) {
    ReadLine(reader, line);
    lines.push_back(line);
  }
  return lines;
}

// The bundled sample car folder installs cleanly with every option: each
// section then holds the chosen snippet's section and the rest is unchanged.
TEST(ExampleFolderTest, EveryOptionInstallsIntoTheSampleCar) {
  const Choices choiceSets[] = {
      {1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2, 2, 2}, {1, 2, 3, 1, 2, 1, 2, 1}};
  for (const Choices& choices : choiceSets) {
    TempFolder folder;
    fs::copy(KARVO_EXAMPLE_DIR, folder.path(), fs::copy_options::recursive);
    const Lines original = ReadLines(folder.PathOf(kCarFile));
    {
      WorkingDirectory inFolder(folder.path());
      InstallOutcome outcome = InstallParts(choices);
      ASSERT_TRUE(outcome.Succeeded()) << DescribeProblem(outcome.problems.front());
    }
    const Lines installed = ReadLines(folder.PathOf(kCarFile));
    // Two empty lines more: one from the backup's copy, one from the splice.
    ASSERT_EQ(installed.size(), original.size() + 2);
    int sectionsSeen = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
      const int group = MarkerGroup(original[i]);
      if (group == 0) {
        EXPECT_EQ(installed[i], original[i]);
        continue;
      }
      ++sectionsSeen;
      LineReader snippet(
          folder.PathOf(WithForwardSlashes(FindOption(group, choices[group - 1])->snippetFile)));
      const SectionLines chosen = ReadSnippetSection(snippet, GroupByNumber(group).section);
      ASSERT_FALSE(chosen.empty());
      EXPECT_EQ(Lines(installed.begin() + i, installed.begin() + i + chosen.size()), chosen);
      i += chosen.size() - 1;
    }
    EXPECT_EQ(sectionsSeen, kGroupCount);
  }
}

}  // namespace
