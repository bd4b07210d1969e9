/*
 * The platform's registry calls and its version query, as liblumbrook-platform.so provides
 * them: the ANSI forms, with the platform's names, types, constants and result codes.
 *
 * Only HKEY_CURRENT_USER is kept; it lives in one text file per user (see
 * src/platform/registry/hive_file.h). Text is passed as UTF-8, so every size is in bytes.
 * Key paths and value names compare without regard to letter case (ASCII letters) and keep
 * the case they were created with.
 */
#ifndef LUMBROOK_REGISTRY_H
#define LUMBROOK_REGISTRY_H

#include "lumbrook/com.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;

typedef struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

typedef struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    void* lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

/* The predefined root handle; sign-extended from its 32-bit value, as on the platform. */
#define HKEY_CURRENT_USER ((HKEY)(intptr_t)(LONG)0x80000001)

/* Result codes. */
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADDB 1009L /* the hive file cannot be parsed, or cannot be written */
#define ERROR_KEY_DELETED 1018L
#define ERROR_NOT_ENOUGH_QUOTA 1816L /* the change would make the hive file too large */

/* Access rights. */
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

/* RegCreateKeyExA options and dispositions. */
#define REG_OPTION_NON_VOLATILE 0x0000
#define REG_CREATED_NEW_KEY 0x0001
#define REG_OPENED_EXISTING_KEY 0x0002

/* Value types. */
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_RESOURCE_LIST 8
#define REG_QWORD 11

/*
 * Creates every missing key of lpSubKey below hKey and opens the last one with samDesired.
 * Creating a key needs KEY_CREATE_SUB_KEY on hKey; opening an existing one does not.
 */
LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes,
                        PHKEY phkResult, LPDWORD lpdwDisposition);
/* Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist. */
LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      PHKEY phkResult);
LSTATUS RegCloseKey(HKEY hKey);
/* Counts and longest lengths: names in characters without the NUL, data in bytes. */
LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                         LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                         LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                         LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime);
/* Subkeys in the order of their names, without regard to case. */
LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
/* Values in the order they were first set. */
LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
/* A null or empty name is the key's default value. */
LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData);
LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                       const BYTE* lpData, DWORD cbData);
LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
/* Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise). */
LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

/* The version record: 148 bytes, dwOSVersionInfoSize set by the caller. */
typedef struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *LPOSVERSIONINFOA;

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

/* Fills the record; FALSE when dwOSVersionInfoSize is not the record's size. */
BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LUMBROOK_REGISTRY_H */
