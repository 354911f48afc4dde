#pragma once
// The whole install run: both backups, the spliced car file and the settings
// file replaced by the settings variant that the light choices pick.

#include <string>
#include <vector>

#include "catalogue.h"

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

// Runs the install in the working directory. Every input is checked before
// anything is written; on any problem no file is written, emptied or created
// and the outcome lists every problem found.
InstallOutcome InstallParts(const Choices& choices);
