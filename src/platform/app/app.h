// The application object of the platform: version numbers, application title, the program
// file's folder and the process's current directory.
#pragma once

#include <string>

namespace lumbrook::platform {

// A program version as its version resource gives it.
struct Version {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// "major.minor.revision", each in plain decimal without leading zeros.
std::string FormatVersion(const Version& version);

// The application title: the caption of the hidden main window and the default caption of
// message boxes. It starts as the title set by SetDefaultAppTitle (or empty) and can be
// changed for the rest of the process.
const std::string& AppTitle();
void SetAppTitle(std::string title);

// Sets the title only when nobody has set one yet; a library calls this once at load.
void SetDefaultAppTitle(const std::string& title);

// Absolute path of the folder holding the shared object or program that contains `address`
// (any function or object of it), without a trailing slash; empty when it cannot be told.
std::string ModuleFolder(const void* address);

// Absolute path of the shared object or program that contains `address`; empty when unknown.
std::string ModulePath(const void* address);

// Makes `folder` the process's current directory; false when that fails.
bool SetCurrentDirectory(const std::string& folder);

// The process's current directory; empty when it cannot be read.
std::string CurrentDirectory();

// The current directory the process was started in (read when this library loaded), kept
// when the program changes directory: where a user expects a file chooser to begin.
const std::string& StartDirectory();

}  // namespace lumbrook::platform
