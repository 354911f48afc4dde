#include "script.h"

#include <charconv>
#include <map>
#include <sstream>

namespace headless {
namespace {

struct Syntax {
  Command::Kind kind;
  int numbers;  // how many decimal numbers follow the name
  bool path = false;
  bool sender = false;
};

const std::map<std::string, Syntax, std::less<>>& Commands() {
  static const std::map<std::string, Syntax, std::less<>> commands = {
      {"click", {Command::Kind::kClick, 2}},
      {"press", {Command::Kind::kPress, 2}},
      {"release", {Command::Kind::kRelease, 2}},
      {"close", {Command::Kind::kClose, 0}},
      {"answer", {Command::Kind::kAnswer, 0}},
      {"key", {Command::Kind::kKey, 1}},
      {"expose", {Command::Kind::kExpose, 4}},
      {"resize", {Command::Kind::kResize, 2}},
      {"command", {Command::Kind::kCommand, 2, false, true}},
      {"dump", {Command::Kind::kDump, 0, true}},
      {"dumpbox", {Command::Kind::kDumpBox, 0, true}},
      {"controls", {Command::Kind::kControls, 0}},
      {"window", {Command::Kind::kWindow, 0}},
  };
  return commands;
}

std::optional<int> Number(const std::string& word) {
  int value = 0;
  const char* end = word.data() + word.size();
  auto [ptr, error] = std::from_chars(word.data(), end, value);
  if (error != std::errc() || ptr != end)
    return std::nullopt;
  return value;
}

bool ParseSender(const std::string& word, Command* command) {
  if (word == "0") {
    command->sender = Command::Sender::kNone;
    return true;
  }
  if (word == "main") {
    command->sender = Command::Sender::kMain;
    return true;
  }
  const std::string prefix = "control:";
  if (word.compare(0, prefix.size(), prefix) != 0)
    return false;
  const std::optional<int> n = Number(word.substr(prefix.size()));
  if (!n || *n < 1)
    return false;
  command->sender = Command::Sender::kControl;
  command->senderControl = *n;
  return true;
}

// One non-blank, non-comment line; an error text when it is not a command.
std::string ParseLine(const std::string& line, int lineNumber, Command* command) {
  std::istringstream words(line);
  std::string name;
  words >> name;
  auto syntax = Commands().find(name);
  const std::string where = "line " + std::to_string(lineNumber) + ": ";
  if (syntax == Commands().end())
    return where + "unknown command \"" + name + "\"";
  command->kind = syntax->second.kind;
  command->line = lineNumber;
  std::string word;
  for (int i = 0; i < syntax->second.numbers; ++i) {
    if (!(words >> word))
      return where + name + ": too few arguments";
    const std::optional<int> n = Number(word);
    if (!n)
      return where + name + ": \"" + word + "\" is not a number";
    command->numbers.push_back(*n);
  }
  if (syntax->second.sender) {
    if (!(words >> word) || !ParseSender(word, command))
      return where + name + ": the sender must be 0, main or control:N";
  }
  if (syntax->second.path) {
    // The path is the rest of the line, so that it may hold spaces.
    std::getline(words >> std::ws, command->path);
    while (!command->path.empty() && (command->path.back() == ' ' || command->path.back() == '\t'))
      command->path.pop_back();
    if (command->path.empty())
      return where + name + ": a path is needed";
  } else if (words >> word) {
    return where + name + ": unexpected \"" + word + "\"";
  }
  return "";
}

}  // namespace

ParsedScript ParseScript(std::string_view text) {
  ParsedScript script;
  std::istringstream lines{std::string(text)};
  std::string line;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
      continue;
    Command command;
    script.error = ParseLine(line.substr(first), lineNumber, &command);
    if (!script.error.empty())
      return script;
    script.commands.push_back(command);
  }
  return script;
}

}  // namespace headless
