/* The engine library's C exports (velldll.dll on Windows, libvelldll.so
 * natively). C linkage, undecorated names, the platform's C calling
 * convention. Every function returns a 32-bit result code. */
#ifndef RAVELOCK_VELLDLL_H
#define RAVELOCK_VELLDLL_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define VELLDLL_API /* exported through velldll.def */
/* Exports of the Windows library only: they show dialogs. */
#define VELLDLL_WIN32_API VELLDLL_API
#else
#define VELLDLL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The worker's link to its progress dialog; opaque to C callers. */
struct ProgressLink;

#pragma pack(push, 1)
/* Filled by IsValidRLKfile (49 bytes; field order differs from the file). */
typedef struct RlkHeaderInfo {
  uint32_t identifier;
  uint32_t keyCheckCrc;
  uint32_t contentCrc;
  uint32_t originalSize;
  char keyName[32];
  char terminator;
} RlkHeaderInfo;

/* A key, its length and its name (96 bytes). */
typedef struct RlkKeyRecord {
  char key[56];
  uint32_t length;
  char name[36];
} RlkKeyRecord;
#pragma pack(pop)

/* The platform's DLLVERSIONINFO layout. */
typedef struct RlkDllVersionInfo {
  uint32_t cbSize;
  uint32_t dwMajorVersion;
  uint32_t dwMinorVersion;
  uint32_t dwBuildNumber;
  uint32_t dwPlatformID;
} RlkDllVersionInfo;

/* Enciphers buffer[0 .. *length) in place after zero-padding it to whole
 * 8-byte blocks; the buffer must have room for *length + 8 bytes. On return
 * *length is the padded length and the two CRCs are those of the header.
 * 0, or 817 when the progress link's stop state ended it. */
VELLDLL_API int32_t CryptFreeBuffer(unsigned char* buffer, uint32_t* length,
                                    const char* key, int32_t keyLength,
                                    struct ProgressLink* progress, uint32_t* keyCheckCrc,
                                    uint32_t* contentCrc);

/* Deciphers a payload in place and checks it against the header's CRCs.
 * 0 ok; 816 wrong key (or bad CRC below 128 bytes); 817 stopped;
 * 819 length not a multiple of 8; 820 content CRC mismatch. */
VELLDLL_API int32_t DecryptBuffer(unsigned char* buffer, uint32_t length, const char* key,
                                  int32_t keyLength, struct ProgressLink* progress,
                                  uint32_t keyCheckCrc, uint32_t contentCrc);

/* 0 when path is an encrypted file; else 1..7, the first failing check.
 * info is filled whenever the 48 header bytes were read (0, 5, 6, 7). */
VELLDLL_API int32_t IsValidRLKfile(const char* path, RlkHeaderInfo* info);

/* 0 when payload is a key database enciphered under key; 1 the key does not
 * fit, 2 no database identifier, 3 the record count does not match. */
VELLDLL_API int32_t IsValidDatabazeRLKfile(const unsigned char* payload, uint32_t length,
                                           const RlkKeyRecord* key,
                                           const RlkHeaderInfo* info);

/* Version 1.1, build 4, platform 1 when info->cbSize is 20. Always 0. */
VELLDLL_API int32_t DllGetVersion(RlkDllVersionInfo* info);

#if defined(_WIN32)
/* Decrypts the `count` items of `items` (ANSI paths, each ended by a NUL,
 * the list ended by one more NUL; folders are walked) behind the
 * decryption progress dialog, asking about conflicts on the way and showing
 * the result at the end. Returns when the run's last dialog has closed.
 * -1: items is null or count < 1, nothing shown. 0: lastTarget is not null
 * and the last file processed was decrypted: its target path is in
 * lastTarget (260 bytes). 1 otherwise. */
VELLDLL_WIN32_API int32_t DeCryptFiles(const char* items, int32_t count,
                                       char* lastTarget);

/* Encrypts the `count` items of `items` (the same list form): asks for the
 * key and the run's choices, runs behind the encryption progress dialog,
 * remembers the key when asked to and keeps the changed choices as the
 * next defaults. -1: items is null or count < 1, nothing shown. 1: the key
 * dialog was cancelled, nothing done. 0: a run took place. */
VELLDLL_WIN32_API int32_t CryptFiles(const char* items, int32_t count);

/* Decrypts the encrypted file `path` in a one-file run and opens the result
 * with the program associated with its type (asking first for programs).
 * -1: path not found (a message said so). 1: nothing was decrypted.
 * 0: opened, or the user chose not to run it. 2: opening failed (the
 * system's message was shown). */
VELLDLL_WIN32_API int32_t DesifrovatRun(const char* path);

/* The rundll32 entry point of the ".rlk" file type: DesifrovatRun on the
 * command line as given. */
VELLDLL_WIN32_API void CallToRun(void* window, void* instance, char* commandLine,
                                 int32_t showState);

/* The same with the command line in UTF-16, which rundll32 calls when it
 * exists: the path reaches the library whole whatever the system's code
 * page. */
VELLDLL_WIN32_API void CallToRunW(void* window, void* instance, wchar_t* commandLine,
                                  int32_t showState);
#endif

#ifdef __cplusplus
}
#endif

#endif /* RAVELOCK_VELLDLL_H */
