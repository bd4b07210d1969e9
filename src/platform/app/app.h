// The application object of the platform: version numbers, application title, the program
// file's folder and the process's current directory.
//
// The title and the start directory are one state per process, whichever library asks: they
// live in the platform library behind its C functions below, and the C++ functions here call
// them. The rest is computed afresh on every call and lives in every library that uses it.
#pragma once

#include <cstddef>
#include <string>

#include "lumbrook/com.h"

extern "C" {
// Copies the application title with its NUL into `buffer` of `size` bytes, cut to fit, and
// returns the title's whole length without the NUL.
LUMBROOK_PLATFORM_API std::size_t PlatformAppTitle(char* buffer, std::size_t size);
// Sets the application title; with `onlyWhenUnset`, only when nobody has set one yet.
LUMBROOK_PLATFORM_API void PlatformSetAppTitle(const char* title, int onlyWhenUnset);
// Copies the start directory as PlatformAppTitle copies the title.
LUMBROOK_PLATFORM_API std::size_t PlatformStartDirectory(char* buffer, std::size_t size);
}

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
std::string AppTitle();
// Changes the title for the rest of the process.
inline void SetAppTitle(const std::string& title) {
    PlatformSetAppTitle(title.c_str(), 0);
}

// Sets the title only when nobody has set one yet; a library calls this once at load.
inline void SetDefaultAppTitle(const std::string& title) {
    PlatformSetAppTitle(title.c_str(), 1);
}

// Absolute path of the folder holding the shared object or program that contains `address`
// (any function or object of it), without a trailing slash; empty when it cannot be told.
std::string ModuleFolder(const void* address);

// Absolute path of the shared object or program that contains `address`; empty when unknown.
std::string ModulePath(const void* address);

// Makes `folder` the process's current directory; false when that fails.
bool SetCurrentDirectory(const std::string& folder);

// The process's current directory; empty when it cannot be read.
std::string CurrentDirectory();

// The current directory the process was started in (read when the platform library
// loaded), kept when the program changes directory: where a user expects a file chooser to
// begin.
std::string StartDirectory();

}  // namespace lumbrook::platform
