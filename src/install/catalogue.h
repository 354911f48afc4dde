#pragma once
// The part catalogue: the fixed description of everything the tool can change
// on the car. Constant data; nothing of it is read from a file.
//
// Paths are spelled as the program opens them on Windows: relative to the car
// folder, backslash separators, letter case as listed. The line-file layer
// turns them into real paths on other platforms.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr int kGroupCount = 8;

// The user's choices, one entry per group in group order: 0 while a group has
// no choice yet, otherwise the choice value (1, 2 or 3) of its option.
using Choices = std::array<std::int32_t, kGroupCount>;

struct SectionSpec {
  std::string_view marker;  // one whole line, matched byte for byte
  int bodyLength;           // lines after the marker that belong to the section
};

struct PartOption {
  std::string_view label;
  std::uint16_t controlId;
  std::int32_t choiceValue;
  std::string_view snippetFile;
  std::string_view previewPicture;
};

struct PartGroup {
  int number;  // 1 to 8
  std::string_view label;
  std::array<PartOption, 3> options;  // the first optionCount are used
  std::size_t optionCount;
  SectionSpec section;

  const PartOption* begin() const { return options.data(); }
  const PartOption* end() const { return options.data() + optionCount; }
};

enum class ExtraLightsTest { kAtMostTwo, kEqualsThree };

struct SettingsVariant {
  std::int32_t lightsEquals;    // group 2's choice must equal this
  ExtraLightsTest extraLights;  // condition on group 3's choice
  std::string_view file;
};

struct FoundOption {
  int group;  // group number, 1 to 8
  const PartOption* option;
};

// The eight groups in group order.
const std::array<PartGroup, kGroupCount>& PartGroups();
// The group with this number (1 to 8).
const PartGroup& GroupByNumber(int group);
// The four settings variants in the order in which they are tested.
const std::array<SettingsVariant, 4>& SettingsVariants();

// The option whose button reports this command identifier, or nothing.
std::optional<FoundOption> FindOptionById(std::uint16_t controlId);
// The option of a group with this choice value; nullptr when none has it.
const PartOption* FindOption(int group, std::int32_t choiceValue);
// The settings variant file of the first row whose tests hold, or nothing.
std::optional<std::string_view> FindSettingsVariant(std::int32_t lights, std::int32_t extraLights);
// True when every group has a non-zero choice.
bool ChoicesComplete(const Choices& choices);
// A catalogue path with '/' separators ("ini\Lights\on.bmp" becomes
// "ini/Lights/on.bmp"), for laying out a car folder on a POSIX file system.
std::string WithForwardSlashes(std::string_view catalogPath);
