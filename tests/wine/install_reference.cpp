// The Linux engine's answer for the end-to-end test of the Windows program:
//
//   install_reference snippet ID
//       prints the snippet file of the option whose button has identifier ID,
//       as the catalogue spells it (e.g. ini\Lights\ON\on.txt);
//   install_reference install FOLDER ID...
//       runs the install in FOLDER with the choices that clicks on the option
//       buttons ID... (in that order) make, and prints one line per problem.
//
// Exit code: 0 on success, 1 when the install reported problems, 2 on a usage
// error or an identifier that names no option.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "catalogue.h"
#include "install.h"

namespace {

constexpr int kUsageError = 2;

std::optional<FoundOption> ParseOptionId(const char* text) {
  char* end = nullptr;
  const long id = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || id < 0 || id > 0xFFFF)
    return std::nullopt;
  return FindOptionById(static_cast<std::uint16_t>(id));
}

int PrintSnippet(const char* idText) {
  const auto found = ParseOptionId(idText);
  if (!found) {
    std::fprintf(stderr, "install_reference: %s names no option\n", idText);
    return kUsageError;
  }
  std::printf("%.*s\n", static_cast<int>(found->option->snippetFile.size()),
              found->option->snippetFile.data());
  return 0;
}

int Install(const char* folder, char** ids, int idCount) {
  Choices choices{};
  for (int i = 0; i < idCount; ++i) {
    const auto found = ParseOptionId(ids[i]);
    if (!found) {
      std::fprintf(stderr, "install_reference: %s names no option\n", ids[i]);
      return kUsageError;
    }
    choices[found->group - 1] = found->option->choiceValue;
  }
  if (chdir(folder) != 0) {
    std::perror(folder);
    return kUsageError;
  }
  const InstallOutcome outcome = InstallParts(choices);
  for (const InstallProblem& problem : outcome.problems) {
    std::printf("%s\n", DescribeProblem(problem).c_str());
  }
  return outcome.Succeeded() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "snippet" && argc == 3)
    return PrintSnippet(argv[2]);
  if (command == "install" && argc >= 3)
    return Install(argv[2], argv + 3, argc - 3);
  std::fprintf(stderr,
               "usage: install_reference snippet ID\n"
               "       install_reference install FOLDER ID...\n");
  return kUsageError;
}
