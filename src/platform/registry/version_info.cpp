// GetVersionExA: the platform's version record. Callers use the platform identifier to tell
// the NT family, whose registry takes access rights, from the older one, whose does not.
#include <cstring>

#include "lumbrook/registry.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record is 148 bytes");

extern "C" BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (lpVersionInformation == nullptr ||
        lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        return FALSE;
    }
    // The version the platform reports to programs that do not declare a newer one.
    lpVersionInformation->dwMajorVersion = 6;
    lpVersionInformation->dwMinorVersion = 2;
    lpVersionInformation->dwBuildNumber = 9200;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    return TRUE;
}
