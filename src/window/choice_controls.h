#pragma once
// The choice controls: eight group boxes with their option buttons and the
// install button, and the commands they send to the main window.

#include <string>

#include "catalogue.h"
#include "install.h"
#include "win_api.h"

// The module instance, set by WinMain before the main window is created; the
// group boxes and option buttons are created with it.
extern HINSTANCE g_hinst;

// The player's current choices, one entry per group: 0 until an option of the
// group is clicked, then the choice value of the option clicked last.
extern Choices felni;

// Creates the 26 controls in creation order on WM_CREATE. Returns the install
// button's handle (null if it could not be created); no other handle is kept.
HWND CreateChoiceControls(HWND hwnd, const CREATESTRUCTA* create);

// WM_COMMAND: first the install test (identifier 1, BN_CLICKED, sent by
// installButton), then the option dispatch for BN_CLICKED, which ends with a
// repaint request that does not erase.
void OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam, HWND installButton);

// Warns while a group has no choice; otherwise installs, reports the outcome
// and, on success only, destroys the main window.
void OnInstallClicked(HWND hwnd);

// Shows the option's picture in its group's slot and records its choice value.
void OnOptionClicked(int group, const PartOption& option);

// The error box's text: "Parts not installed:" and one line per problem.
std::string InstallFailureText(const InstallOutcome& outcome);
