#include "catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct IdCase {
  std::uint16_t id;
  int group;
  std::string_view label;
  std::int32_t value;
  std::string_view snippet;
  std::string_view preview;
};

// The two irregular rows (9 and 17, 18) and one regular row per group.
const IdCase kIdCases[] = {
    {2, 1, "OFF", 1, "ini\\frontcarplate\\OFF\\off.txt", "ini\\frontcarplate\\off.bmp"},
    {7, 2, "ON", 2, "ini\\Lights\\ON\\on.txt", "ini\\Lights\\on.bmp"},
    {9, 3, "Not Used", 1, "ini\\bumperextralights\\NOTUSED\\notused.txt", "ini\\Lights\\off.bmp"},
    {11, 3, "ON", 3, "ini\\bumperextralights\\ON\\on.txt", "ini\\bumperextralights\\bumon.bmp"},
    {14, 4, "Stack", 2, "ini\\dashboard\\stack\\stack.txt", "ini\\dashboard\\stack.bmp"},
    {15, 5, "OFF", 1, "ini\\backcarplate\\OFF\\off.txt", "ini\\backcarplate\\off.bmp"},
    {17, 6, "OFF", 1, "ini\\wing\\off\\off.txt", "ini\\wing\\on.bmp"},
    {18, 6, "ON", 2, "ini\\wing\\on\\on.txt", "ini\\wing\\off.bmp"},
    {20, 7, "ON", 2, "ini\\mudflap\\on\\on.txt", "ini\\mudflap\\on.bmp"},
    {21, 8, "80's", 1, "ini\\mirror\\stock\\stock.txt", "ini\\mirror\\stock.bmp"},
};

TEST(CatalogueTest, FindOptionByIdGivesTheTabledOption) {
  for (const IdCase& c : kIdCases) {
    SCOPED_TRACE(c.id);
    auto found = FindOptionById(c.id);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->group, c.group);
    EXPECT_EQ(found->option->label, c.label);
    EXPECT_EQ(found->option->choiceValue, c.value);
    EXPECT_EQ(found->option->snippetFile, c.snippet);
    EXPECT_EQ(found->option->previewPicture, c.preview);
  }
}

TEST(CatalogueTest, IdentifiersThatNameNoOption) {
  for (std::uint16_t id : {0, 1, 4, 5, 8, 12, 23, 24, 100, 0xFFFF}) {
    EXPECT_FALSE(FindOptionById(static_cast<std::uint16_t>(id)).has_value()) << id;
  }
}

TEST(CatalogueTest, EveryOptionIsFoundByItsIdAndByItsValue) {
  std::set<std::uint16_t> ids;
  int options = 0;
  for (const PartGroup& group : PartGroups()) {
    std::int32_t expectedValue = 1;
    for (const PartOption& option : group) {
      EXPECT_EQ(option.choiceValue, expectedValue++);
      EXPECT_EQ(FindOption(group.number, option.choiceValue), &option);
      auto byId = FindOptionById(option.controlId);
      ASSERT_TRUE(byId.has_value());
      EXPECT_EQ(byId->option, &option);
      EXPECT_EQ(byId->group, group.number);
      ids.insert(option.controlId);
      ++options;
    }
  }
  EXPECT_EQ(options, 17);
  EXPECT_EQ(ids.size(), 17u);
}

TEST(CatalogueTest, FindOptionWithAValueTheGroupLacks) {
  ASSERT_NE(FindOption(3, 3), nullptr);
  EXPECT_EQ(FindOption(3, 3)->snippetFile, "ini\\bumperextralights\\ON\\on.txt");
  EXPECT_EQ(FindOption(1, 3), nullptr);
  EXPECT_EQ(FindOption(2, 0), nullptr);
  EXPECT_EQ(FindOption(2, -1), nullptr);
  EXPECT_EQ(FindOption(0, 1), nullptr);
  EXPECT_EQ(FindOption(9, 1), nullptr);
}

TEST(CatalogueTest, MarkersAndBodyLengths) {
  struct Row {
    int group;
    std::string_view name;
    std::size_t before, after;
    int body;
  };
  const Row rows[] = {
      {1, "FrontCarplate", 12, 14, 9},      {2, "PermanentLights", 15, 12, 107},
      {3, "BumperExtralights", 16, 11, 30}, {4, "Dashboard", 16, 16, 30},
      {5, "BackCarplate", 12, 15, 7},       {6, "Wing", 13, 15, 9},
      {7, "Mudflaps", 11, 15, 7},           {8, "MirrorChange", 13, 15, 52},
  };
  for (const Row& row : rows) {
    const SectionSpec& section = GroupByNumber(row.group).section;
    std::string expected =
        std::string(row.before, '-') + std::string(row.name) + std::string(row.after, '-');
    EXPECT_EQ(section.marker, expected) << row.group;
    EXPECT_EQ(section.bodyLength, row.body) << row.group;
  }
}

TEST(CatalogueTest, SettingsVariantByLightChoices) {
  const std::string off = "ini\\settingschange\\LightsOFFBumperLightsOFF\\Karvo_Zelt_Omra_settings.ini";
  const std::string offOn = "ini\\settingschange\\LightsOFFBumperLightsON\\Karvo_Zelt_Omra_settings.ini";
  const std::string onOff = "ini\\settingschange\\LightsONBumperLightsOFF\\Karvo_Zelt_Omra_settings.ini";
  const std::string onOn = "ini\\settingschange\\LightsONBumperLightsON\\Karvo_Zelt_Omra_settings.ini";
  struct Case {
    std::int32_t lights, extra;
    const std::string* file;
  };
  const Case cases[] = {{1, 1, &off},  {1, 2, &off},  {1, 3, &offOn}, {2, 1, &onOff},
                        {2, 2, &onOff}, {2, 3, &onOn}, {1, -5, &off},  {3, 1, nullptr},
                        {0, 1, nullptr}, {1, 4, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lights << "," << c.extra);
    auto file = FindSettingsVariant(c.lights, c.extra);
    if (c.file == nullptr) {
      EXPECT_FALSE(file.has_value());
    } else {
      ASSERT_TRUE(file.has_value());
      EXPECT_EQ(*file, *c.file);
    }
  }
}

TEST(CatalogueTest, ChoicesCompleteNeedsEveryGroup) {
  Choices choices{};
  EXPECT_FALSE(ChoicesComplete(choices));
  for (int group = 0; group < kGroupCount; ++group) {
    EXPECT_FALSE(ChoicesComplete(choices)) << group;
    choices[group] = 1;
  }
  EXPECT_TRUE(ChoicesComplete(choices));
  choices[4] = 0;
  EXPECT_FALSE(ChoicesComplete(choices));
  choices[4] = -7;  // any non-zero value counts as chosen
  EXPECT_TRUE(ChoicesComplete(choices));
}

}  // namespace
