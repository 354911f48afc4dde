#include "install.h"

#include <optional>
#include <utility>

#include "native_file.h"
#include "splice.h"

namespace {

using Problems = std::vector<InstallProblem>;

// Adds a problem once: the car file and the settings file are checked both as
// inputs and as outputs.
void Add(Problems& problems, std::string_view file, std::string reason) {
  for (const InstallProblem& known : problems) {
    if (known.file == file && known.reason == reason)
      return;
  }
  problems.push_back({std::string(file), std::move(reason)});
}

// An input that passed its checks, open and ready for the writing phase.
struct OpenInput {
  std::string name;  // as the catalogue spells it
  LineReader reader;
};

// Finds a file spelled as the catalogue spells it; on failure adds why.
std::optional<std::string> Locate(std::string_view name, Problems& problems) {
  ResolvedPath found = ResolveCarPath(name);
  switch (found.status) {
    case ResolvedPath::Status::kFound:
      return found.path;
    case ResolvedPath::Status::kAmbiguous:
      Add(problems, name, "matches more than one file: " + found.candidates);
      return std::nullopt;
    case ResolvedPath::Status::kMissing:
      break;
  }
  Add(problems, name, "missing");
  return std::nullopt;
}

// Opens an input; on failure adds why and returns nothing.
std::optional<OpenInput> Open(std::string_view name, Problems& problems) {
  std::optional<std::string> path = Locate(name, problems);
  if (!path)
    return std::nullopt;
  OpenInput input{std::string(name), LineReader(*path)};
  if (!input.reader.IsOpen()) {
    const std::string& why = input.reader.OpenError();
    Add(problems, input.name, why == "missing" ? why : "cannot be read: " + why);
    return std::nullopt;
  }
  return input;
}

// The real path an output is written to: its existing spelling, or the
// catalogue's when it does not exist yet. Adds a problem when it exists but
// is read-only or cannot be told apart from another file.
std::string CheckOutput(std::string_view name, Problems& problems) {
  ResolvedPath found = ResolveCarPath(name);
  if (found.status == ResolvedPath::Status::kAmbiguous) {
    Add(problems, name, "matches more than one file: " + found.candidates);
  } else if (found.status == ResolvedPath::Status::kFound && IsReadOnly(found.path)) {
    Add(problems, name, "is read-only");
  }
  return found.path;
}

// The snippet section of the group's chosen option; adds why it is missing.
SectionLines CheckSnippet(const PartGroup& group, std::int32_t choice, Problems& problems) {
  const PartOption* option = FindOption(group.number, choice);
  if (option == nullptr) {
    Add(problems, group.label, "choice " + std::to_string(choice) + " names no option");
    return {};
  }
  std::optional<OpenInput> snippet = Open(option->snippetFile, problems);
  if (!snippet)
    return {};
  SectionLines section = ReadSnippetSection(snippet->reader, group.section);
  if (!snippet->reader.ReadError().empty()) {
    Add(problems, snippet->name, "cannot be read: " + snippet->reader.ReadError());
  } else if (section.empty()) {
    Add(problems, snippet->name, "has no line " + std::string(group.section.marker));
  }
  return section;
}

// Everything the writing phase needs, found and opened by the checks.
struct InstallPlan {
  std::optional<OpenInput> carFile;
  std::optional<OpenInput> settingsFile;  // nothing when there is none yet
  std::optional<OpenInput> settingsVariant;
  SnippetSections sections;
  std::string carFilePath;
  std::string carBackupPath;
  std::string settingsFilePath;
  std::string settingsBackupPath;
};

Problems CheckInputs(const Choices& choices, InstallPlan& plan) {
  Problems problems;
  plan.carFile = Open(kCarFile, problems);
  for (const PartGroup& group : PartGroups()) {
    plan.sections[group.number - 1] = CheckSnippet(group, choices[group.number - 1], problems);
  }
  const std::int32_t lights = choices[1];
  const std::int32_t extraLights = choices[2];
  if (std::optional<std::string_view> variant = FindSettingsVariant(lights, extraLights)) {
    plan.settingsVariant = Open(*variant, problems);
  } else if (FindOption(2, lights) != nullptr && FindOption(3, extraLights) != nullptr) {
    // Every pair of catalogue choices has a variant; kept so that a gap in
    // the table can never let the install run without one.
    Add(problems, "Lights", "no settings variant for these choices");
  }
  // A missing settings file is created from the variant; one that exists must
  // be readable, for its backup.
  ResolvedPath settings = ResolveCarPath(kSettingsFile);
  if (settings.status != ResolvedPath::Status::kMissing) {
    plan.settingsFile = Open(kSettingsFile, problems);
  }
  plan.carFilePath = CheckOutput(kCarFile, problems);
  plan.carBackupPath = CheckOutput(kCarBackup, problems);
  plan.settingsFilePath = CheckOutput(kSettingsFile, problems);
  plan.settingsBackupPath = CheckOutput(kSettingsBackup, problems);
  return problems;
}

// A new version of an output, written to a temporary file beside its target.
// Unless Commit moved it over the target, the temporary file is removed when
// this goes away.
class PendingOutput {
 public:
  PendingOutput(std::string name, std::string target)
      : name_(std::move(name)), target_(std::move(target)) {}
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  ~PendingOutput() {
    writer_ = LineWriter();
    if (!tempPath_.empty())
      RemoveFile(tempPath_);
  }

  std::optional<InstallProblem> Begin() {
    std::string error;
    NativeFile file = CreateTempBeside(target_, tempPath_, error);
    if (!file.IsOpen())
      return Problem("cannot be written: " + error);
    writer_ = LineWriter(std::move(file));
    writer_.WriteBehind();
    return std::nullopt;
  }
  LineWriter& Writer() { return writer_; }
  // Every byte written, on the device, and the file closed.
  std::optional<InstallProblem> Finish() {
    if (!writer_.SyncAndClose())
      return Problem("cannot be written: " + writer_.WriteError());
    return std::nullopt;
  }
  std::optional<InstallProblem> Commit() {
    std::string error;
    if (!MoveOver(tempPath_, target_, error))
      return Problem("cannot be replaced: " + error);
    tempPath_.clear();
    return std::nullopt;
  }

 private:
  InstallProblem Problem(std::string reason) const { return {name_, std::move(reason)}; }

  std::string name_;
  std::string target_;
  std::string tempPath_;
  LineWriter writer_;
};

std::optional<InstallProblem> ReadFailure(const OpenInput& input) {
  if (input.reader.ReadError().empty())
    return std::nullopt;
  return InstallProblem{input.name, "cannot be read: " + input.reader.ReadError()};
}

// Copies an input whole into a new version of `output` and moves it in place.
std::optional<InstallProblem> Backup(OpenInput& input, PendingOutput& output) {
  if (auto problem = output.Begin())
    return problem;
  CopyLinesToEnd(input.reader, output.Writer());
  if (auto problem = ReadFailure(input))
    return problem;
  if (auto problem = output.Finish())
    return problem;
  return output.Commit();
}

std::optional<InstallProblem> WriteOutputs(InstallPlan& plan) {
  PendingOutput carBackup(kCarBackup, plan.carBackupPath);
  if (auto problem = Backup(*plan.carFile, carBackup))
    return problem;
  if (plan.settingsFile) {
    PendingOutput settingsBackup(kSettingsBackup, plan.settingsBackupPath);
    if (auto problem = Backup(*plan.settingsFile, settingsBackup))
      return problem;
  }

  // The car file is rebuilt from the backup just written, never from itself.
  std::optional<OpenInput> backup;
  {
    Problems problems;
    backup = Open(kCarBackup, problems);
    if (!backup)
      return problems.front();
  }
  PendingOutput carFile(kCarFile, plan.carFilePath);
  if (auto problem = carFile.Begin())
    return problem;
  SpliceSections(backup->reader, carFile.Writer(), plan.sections);
  if (auto problem = ReadFailure(*backup))
    return problem;
  if (auto problem = carFile.Finish())
    return problem;

  PendingOutput settingsFile(kSettingsFile, plan.settingsFilePath);
  if (auto problem = settingsFile.Begin())
    return problem;
  InstallSettingsVariant(plan.settingsVariant->reader, settingsFile.Writer());
  if (auto problem = ReadFailure(*plan.settingsVariant))
    return problem;
  if (auto problem = settingsFile.Finish())
    return problem;

  // Both new files are complete; only now does either replace its target.
  if (auto problem = carFile.Commit())
    return problem;
  return settingsFile.Commit();
}

}  // namespace

std::string DescribeProblem(const InstallProblem& problem) {
  return problem.file + ": " + problem.reason;
}

void InstallSettingsVariant(LineReader& variant, LineWriter& settingsFile) {
  CopyLinesToEnd(variant, settingsFile);
}

InstallOutcome InstallParts(const Choices& choices) {
  InstallPlan plan;
  InstallOutcome outcome;
  outcome.problems = CheckInputs(choices, plan);
  if (!outcome.problems.empty())
    return outcome;
  if (std::optional<InstallProblem> problem = WriteOutputs(plan)) {
    outcome.problems.push_back(std::move(*problem));
  }
  return outcome;
}
