#pragma once
// The whole install run: both backups, the spliced car file and the settings
// file replaced by the settings variant that the light choices pick.

#include <string>
#include <vector>

#include "catalogue.h"
#include "line_file.h"

// The files of one run, relative to the car folder.
constexpr const char* kCarFile = "Karvo_Zelt_Omra.ini";
constexpr const char* kCarBackup = "Karvo_Zelt_Omra-ini.bak";
constexpr const char* kSettingsFile = "Karvo_Zelt_Omra_settings.ini";
constexpr const char* kSettingsBackup = "Karvo_Zelt_settings_Omra-ini.bak";

// One thing that stopped the install: the file as the catalogue spells it and
// why, e.g. {"ini\\Lights\\ON\\on.txt", "missing"}.
struct InstallProblem {
  std::string file;
  std::string reason;
};

struct InstallOutcome {
  std::vector<InstallProblem> problems;  // empty on success
  bool Succeeded() const { return problems.empty(); }
};

// One line for the player: "<file>: <reason>".
std::string DescribeProblem(const InstallProblem& problem);

// Copies the settings variant file into the (new) settings file.
void InstallSettingsVariant(LineReader& variant, LineWriter& settingsFile);

// Runs the install in the working directory. Every input is checked before
// anything is written; on any problem no file is written, emptied or created
// and the outcome lists every problem found.
//
// Each output is written to a new temporary file beside it and moved over it
// only when complete. The backups are made first; then the new car file and
// the new settings file are both written completely before either replaces
// its target. A failure while writing leaves the car file and the settings
// file as they were, removes every temporary file and is the one problem
// listed.
InstallOutcome InstallParts(const Choices& choices);
