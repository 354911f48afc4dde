#include "choice_controls.h"

#include <cstddef>
#include <string>

#include "choice_layout.h"
#include "previews.h"

HINSTANCE g_hinst = nullptr;
Choices felni{};

namespace {

constexpr const char* kChooseAllText = "Choose one all 8 boxes!";
constexpr const char* kInstalledText = "Parts installed";
constexpr const char* kNotInstalledHeading = "Parts not installed:";
// Both boxes have an empty string, not a null pointer, as their caption.
constexpr const char* kNoCaption = "";

// Every option button is an auto radio button; the first of each group also
// starts a radio group, so each group box keeps its own check mark.
DWORD StyleOf(const ControlSpec& control) {
  switch (control.kind) {
    case ControlKind::kGroupBox:
      return WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
    case ControlKind::kOptionButton:
      return WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (control.startsRadioGroup ? WS_GROUP : 0);
    case ControlKind::kInstallButton:
      break;
  }
  return WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
}

// The install button is created with the instance of the window being created;
// the rest with g_hinst. Both are the module instance.
HINSTANCE InstanceFor(const ControlSpec& control, const CREATESTRUCTA* create) {
  return control.kind == ControlKind::kInstallButton ? create->hInstance : g_hinst;
}

HWND CreateControl(HWND parent, const ControlSpec& control, const CREATESTRUCTA* create) {
  // The menu argument of a child window carries its identifier.
  HMENU id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.id));
  return CreateWindowExA(0, "button", control.text.c_str(), StyleOf(control), control.x, control.y,
                         control.width, control.height, parent, id, InstanceFor(control, create),
                         nullptr);
}

}  // namespace

HWND CreateChoiceControls(HWND hwnd, const CREATESTRUCTA* create) {
  HWND last = nullptr;
  for (const ControlSpec& control : ChoiceControlLayout()) {
    last = CreateControl(hwnd, control, create);
  }
  return last;
}

std::string InstallFailureText(const InstallOutcome& outcome) {
  std::string text = kNotInstalledHeading;
  for (const InstallProblem& problem : outcome.problems) {
    text += '\n';
    text += DescribeProblem(problem);
  }
  return text;
}

void OnInstallClicked(HWND hwnd) {
  if (!ChoicesComplete(felni)) {
    MessageBoxA(hwnd, kChooseAllText, kNoCaption, MB_ICONWARNING);
    return;
  }
  const InstallOutcome outcome = InstallParts(felni);
  if (!outcome.Succeeded()) {
    // The window stays open so the player can fix the files and try again.
    MessageBoxA(hwnd, InstallFailureText(outcome).c_str(), kNoCaption, MB_ICONERROR);
    return;
  }
  MessageBoxA(hwnd, kInstalledText, kNoCaption, MB_ICONINFORMATION);
  DestroyWindow(hwnd);
}

void OnOptionClicked(int group, const PartOption& option) {
  LoadPreview(PreviewSlot(group), std::string(option.previewPicture).c_str());
  felni[static_cast<std::size_t>(group - 1)] = option.choiceValue;
}

void OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam, HWND installButton) {
  const WORD id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  const HWND sender = reinterpret_cast<HWND>(lParam);

  if (id == kInstallButtonId && code == BN_CLICKED && sender == installButton) {
    OnInstallClicked(hwnd);
  }
  // Runs for the install button's message too, even after the window is gone:
  // identifier 1 names no option, and the repaint request on a destroyed
  // window has no effect.
  if (code != BN_CLICKED)
    return;
  if (const std::optional<FoundOption> found = FindOptionById(id)) {
    OnOptionClicked(found->group, *found->option);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}
