/*
 * The platform's registry calls and its version query, as liblumbrook-platform.so provides
 * them: the ANSI forms, with the platform's names, types, constants and result codes.
 *
 * Only HKEY_CURRENT_USER is kept; it lives in one text file per user (see
 * RegQueryHiveA). Text is passed as UTF-8, so every size is in bytes.
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
#define ERROR_BAD_FORMAT 11L /* RegImportFileA: the file cannot be read or parsed */
#define ERROR_OUTOFMEMORY 14L
#define ERROR_WRITE_FAULT 29L /* RegExportKeyA: the file cannot be written */
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
LUMBROOK_PLATFORM_API LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved,
                                              LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                                              const SECURITY_ATTRIBUTES* lpSecurityAttributes,
                                              PHKEY phkResult, LPDWORD lpdwDisposition);
/* Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist. */
LUMBROOK_PLATFORM_API LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions,
                                            REGSAM samDesired, PHKEY phkResult);
LUMBROOK_PLATFORM_API LSTATUS RegCloseKey(HKEY hKey);
/* Counts and longest lengths: names in characters without the NUL, data in bytes. */
LUMBROOK_PLATFORM_API LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass,
                                               LPDWORD lpReserved, LPDWORD lpcSubKeys,
                                               LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                               LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                                               LPDWORD lpcbMaxValueLen,
                                               LPDWORD lpcbSecurityDescriptor,
                                               PFILETIME lpftLastWriteTime);
/* Subkeys in the order of their names, without regard to case. */
LUMBROOK_PLATFORM_API LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName,
                                            LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                                            LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
/* Values in the order they were first set. */
LUMBROOK_PLATFORM_API LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName,
                                            LPDWORD lpcchValueName, LPDWORD lpReserved,
                                            LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
/* A null or empty name is the key's default value. */
LUMBROOK_PLATFORM_API LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved,
                                               LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
LUMBROOK_PLATFORM_API LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved,
                                             DWORD dwType, const BYTE* lpData, DWORD cbData);
LUMBROOK_PLATFORM_API LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
/* Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise). */
LUMBROOK_PLATFORM_API LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
/*
 * Deletes lpSubKey with everything below it, in one change of the hive: a failure leaves all
 * of it. A null or empty lpSubKey deletes the values and subkeys of hKey and keeps hKey. Needs
 * KEY_CREATE_SUB_KEY, as RegDeleteKeyA does, and KEY_SET_VALUE when it empties hKey itself.
 */
LUMBROOK_PLATFORM_API LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);

/*
 * The hive and its text form.
 *
 * A reason is the program's own sentence for what is wrong, naming the file (and for a file
 * that does not parse, the line: "PATH: line 3: expected ..."). It goes into a buffer of
 * *lpcchReason characters and *lpcchReason is set to its length without the NUL; when it does
 * not fit, the call returns ERROR_MORE_DATA, sets *lpcchReason to the size needed with the NUL
 * and has changed nothing. A call that succeeds sets the reason to "".
 */

/*
 * The path of the hive file for the current environment (in lpPath of *lpcchPath
 * characters, as a reason), and whether it can be read: ERROR_SUCCESS when it is absent or
 * parses, ERROR_BADDB, with the reason, when it cannot be read or parsed. Reads of such a
 * hive see it empty, and changes fail with ERROR_BADDB; this tells the user why.
 */
LUMBROOK_PLATFORM_API LSTATUS RegQueryHiveA(LPSTR lpPath, LPDWORD lpcchPath, LPSTR lpReason,
                                            LPDWORD lpcchReason);
/*
 * Writes hKey and everything below it as REGEDIT4 text to the file lpFile, with the key
 * paths as the hive spells them. The file gets mode 0600, like the hive (the text may hold
 * passwords); a regular file that is there already is made private before it is written, a
 * device or a FIFO keeps its mode. ERROR_WRITE_FAULT when the file cannot be written.
 */
LUMBROOK_PLATFORM_API LSTATUS RegExportKeyA(HKEY hKey, LPCSTR lpFile);
/*
 * Adds the keys and values of the REGEDIT4 file lpFile to the hive, replacing values of the
 * same names, in one change: the whole file or nothing. The file is read as the hive is (a
 * regular file of at most 64 MiB, opened so that nothing can block). A file that cannot be
 * read or parsed gives ERROR_BAD_FORMAT and the reason; a hive that takes no change gives
 * what a change of a value would give, and an empty reason.
 */
LUMBROOK_PLATFORM_API LSTATUS RegImportFileA(LPCSTR lpFile, LPSTR lpReason, LPDWORD lpcchReason);

/*
 * Compares two names the way the registry compares key and value names: ASCII letters
 * without regard to case, every other byte as it is, whatever the C locale. Less than,
 * equal to or greater than zero, as strcmp.
 */
LUMBROOK_PLATFORM_API int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);

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
LUMBROOK_PLATFORM_API BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LUMBROOK_REGISTRY_H */
