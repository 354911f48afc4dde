#pragma once
// The section splice: the new car file is the car backup with every group's
// section replaced by the section from the chosen option's snippet file.
//
// A section is a marker line (whole-line, case-sensitive equality) and the N
// body lines after it, N from the group's SectionSpec. In the car backup a
// section's body ends early at a line that is itself a marker; that line then
// opens its own section. Every marker is recognised wherever it stands, also
// directly behind another section and also a second time.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "line_file.h"

// A group's section as its snippet file gives it: the marker line and the N
// lines after it. Empty when the snippet holds no marker line.
using SectionLines = std::vector<std::string>;
// One section per group, in group order.
using SnippetSections = std::array<SectionLines, kGroupCount>;

// Reads the snippet up to its marker line and leaves the marker in `held`;
// the next read gives the first body line. False when the content (or a
// read error) ends first.
bool FindMarker(LineReader& snippet, std::string& held, std::string_view marker);
// After FindMarker: the N+1 lines of the section, marker first, read one
// line ahead as the held line goes. A snippet that ends early repeats what
// its end leaves in `held`: empty lines when it ends with a line end, its
// last line when it does not.
SectionLines LoadSection(LineReader& snippet, std::string& held, int bodyLength);
// FindMarker then LoadSection; empty when the marker is missing.
SectionLines ReadSnippetSection(LineReader& snippet, const SectionSpec& section);

// The group number (1 to 8) whose marker the line is, or 0.
int MarkerGroup(std::string_view line);

// Writes a section's lines into the car file.
void WriteSection(LineWriter& carFile, const SectionLines& section);
// Reads up to `count` lines of the car backup, the old body of a section.
// A line that is a marker ends the body: it is left in `line` and its group
// number returned. Otherwise returns 0.
int SkipSection(LineReader& carBackup, int count, std::string& line);

// Reads the car backup once, front to back, and writes every line to the car
// file, each section of a group with a loaded section replaced by that
// section. A group with an empty section keeps its old section. Long lines
// pass through in pieces. Closes nothing: the caller completes the car file
// and checks the reader for a read error.
void SpliceSections(LineReader& carBackup, LineWriter& carFile, const SnippetSections& sections);
