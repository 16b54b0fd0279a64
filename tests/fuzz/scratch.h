// What the fuzz targets share: a fresh stand-in and installer for every
// input, and checks that abort (so libFuzzer keeps the input as a finding)
// when an input broke a rule.
#pragma once

#include <string>
#include <vector>

// Where the targets install; nothing they write may lie anywhere else.
extern const char kScratchDestination[];

// Loads the resources of the installer as built, once per process.
void LoadInstallerResources();
// A fresh stand-in (files, memory, registry, dialogs...) and the installer's
// process-wide state back to its start.
void StartInput();
// Aborts with `what` (and `detail`) unless `holds`.
void Require(bool holds, const char *what, const std::string &detail = "");
// Aborts when a file lies outside `destination` (other than `allowedFiles`),
// or a directory that is neither inside it nor on the way to it.
void RequireNothingOutside(const std::string &destination, const std::vector<std::string> &allowedFiles = {});
