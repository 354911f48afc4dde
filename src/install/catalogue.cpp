#include "catalogue.h"

namespace {

// clang-format off
constexpr std::array<PartGroup, kGroupCount> kGroups{{
    {1, "Front Carplate",
     {{{"OFF", 2, 1, "ini\\frontcarplate\\OFF\\off.txt", "ini\\frontcarplate\\off.bmp"},
       {"ON", 3, 2, "ini\\frontcarplate\\ON\\on.txt", "ini\\frontcarplate\\on.bmp"}}},
     2, {"------------FrontCarplate--------------", 9}},
    {2, "Lights",
     {{{"OFF", 6, 1, "ini\\Lights\\OFF\\off.txt", "ini\\Lights\\off.bmp"},
       {"ON", 7, 2, "ini\\Lights\\ON\\on.txt", "ini\\Lights\\on.bmp"}}},
     2, {"---------------PermanentLights------------", 107}},
    // "Not Used" shows the Lights group's off picture.
    {3, "Extra Lights",
     {{{"Not Used", 9, 1, "ini\\bumperextralights\\NOTUSED\\notused.txt", "ini\\Lights\\off.bmp"},
       {"OFF", 10, 2, "ini\\bumperextralights\\OFF\\off.txt", "ini\\bumperextralights\\bumoff.bmp"},
       {"ON", 11, 3, "ini\\bumperextralights\\ON\\on.txt", "ini\\bumperextralights\\bumon.bmp"}}},
     3, {"----------------BumperExtralights-----------", 30}},
    {4, "Dashboard",
     {{{"Analog", 13, 1, "ini\\dashboard\\analog\\analog.txt", "ini\\dashboard\\analog.bmp"},
       {"Stack", 14, 2, "ini\\dashboard\\stack\\stack.txt", "ini\\dashboard\\stack.bmp"}}},
     2, {"----------------Dashboard----------------", 30}},
    {5, "Back Carplate",
     {{{"OFF", 15, 1, "ini\\backcarplate\\OFF\\off.txt", "ini\\backcarplate\\off.bmp"},
       {"ON", 16, 2, "ini\\backcarplate\\ON\\on.txt", "ini\\backcarplate\\on.bmp"}}},
     2, {"------------BackCarplate---------------", 7}},
    // The wing pictures run the other way from the snippets: OFF shows on.bmp.
    {6, "Top Wing",
     {{{"OFF", 17, 1, "ini\\wing\\off\\off.txt", "ini\\wing\\on.bmp"},
       {"ON", 18, 2, "ini\\wing\\on\\on.txt", "ini\\wing\\off.bmp"}}},
     2, {"-------------Wing---------------", 9}},
    {7, "Mudflap",
     {{{"OFF", 19, 1, "ini\\mudflap\\off\\off.txt", "ini\\mudflap\\off.bmp"},
       {"ON", 20, 2, "ini\\mudflap\\on\\on.txt", "ini\\mudflap\\on.bmp"}}},
     2, {"-----------Mudflaps---------------", 7}},
    {8, "Mirror, CB Anten",
     {{{"80's", 21, 1, "ini\\mirror\\stock\\stock.txt", "ini\\mirror\\stock.bmp"},
       {"Modern", 22, 2, "ini\\mirror\\racing\\racing.txt", "ini\\mirror\\racing.bmp"}}},
     2, {"-------------MirrorChange---------------", 52}},
}};

constexpr std::array<SettingsVariant, 4> kSettingsVariants{{
    {1, ExtraLightsTest::kAtMostTwo,
     "ini\\settingschange\\LightsOFFBumperLightsOFF\\Karvo_Zelt_Omra_settings.ini"},
    {1, ExtraLightsTest::kEqualsThree,
     "ini\\settingschange\\LightsOFFBumperLightsON\\Karvo_Zelt_Omra_settings.ini"},
    {2, ExtraLightsTest::kAtMostTwo,
     "ini\\settingschange\\LightsONBumperLightsOFF\\Karvo_Zelt_Omra_settings.ini"},
    {2, ExtraLightsTest::kEqualsThree,
     "ini\\settingschange\\LightsONBumperLightsON\\Karvo_Zelt_Omra_settings.ini"},
}};
// clang-format on

bool ExtraLightsHolds(ExtraLightsTest test, std::int32_t extraLights) {
  return test == ExtraLightsTest::kAtMostTwo ? extraLights <= 2 : extraLights == 3;
}

}  // namespace

const std::array<PartGroup, kGroupCount>& PartGroups() {
  return kGroups;
}

const PartGroup& GroupByNumber(int group) {
  return kGroups.at(static_cast<std::size_t>(group - 1));
}

const std::array<SettingsVariant, 4>& SettingsVariants() {
  return kSettingsVariants;
}

std::optional<FoundOption> FindOptionById(std::uint16_t controlId) {
  for (const PartGroup& group : kGroups) {
    for (const PartOption& option : group) {
      if (option.controlId == controlId)
        return FoundOption{group.number, &option};
    }
  }
  return std::nullopt;
}

const PartOption* FindOption(int group, std::int32_t choiceValue) {
  if (group < 1 || group > kGroupCount)
    return nullptr;
  for (const PartOption& option : GroupByNumber(group)) {
    if (option.choiceValue == choiceValue)
      return &option;
  }
  return nullptr;
}

std::optional<std::string_view> FindSettingsVariant(std::int32_t lights, std::int32_t extraLights) {
  for (const SettingsVariant& row : kSettingsVariants) {
    if (row.lightsEquals == lights && ExtraLightsHolds(row.extraLights, extraLights))
      return row.file;
  }
  return std::nullopt;
}

std::string WithForwardSlashes(std::string_view catalogPath) {
  std::string path(catalogPath);
  for (char& c : path) {
    if (c == '\\')
      c = '/';
  }
  return path;
}

bool ChoicesComplete(const Choices& choices) {
  for (std::int32_t value : choices) {
    if (value == 0)
      return false;
  }
  return true;
}
