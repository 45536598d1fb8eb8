#pragma once

// zebapi, the keyboard wedge library: sends bytes into a reader on the
// keyboard port through the port's driver and captures the keys the reader
// types back. Every result is a 32-bit number; 0 means failure (the text is
// then fetched with ZebGetLastError). Buffers belong to the caller.
//
// The driver: $ZEBAPI_SIM_SOCKET names the socket of magtune-reader-sim
// --wedge; otherwise the character device $ZEBAPI_DEVICE (default
// /dev/zebdrv2k). Settings live in the registry file of the preferences
// ($MAGTUNE_REGISTRY_FILE or registry.reg in the user's configuration
// folder) under "Software\Tarvik Veviriz Inc.\Lumo Setting DLL Library\Settings".

#include <stdint.h>

#if defined(_WIN32)
// The system's standard calling convention; the export names come
// undecorated from zebapi.def.
#define ZEBAPI_EXPORT
#define ZEBAPI_CALL __stdcall
#elif defined(__GNUC__)
#define ZEBAPI_EXPORT __attribute__((visibility("default")))
#define ZEBAPI_CALL
#else
#define ZEBAPI_EXPORT
#define ZEBAPI_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Called for every captured key event with its virtual-key code and its key
// message flags (repeat count 1, scan code in bits 16-23, bits 30 and 31 set
// when the key goes up).
typedef void(ZEBAPI_CALL* ZebKeyCallback)(int32_t code, int32_t flags);

// Reads the settings, opens (and if needed installs) the driver, hooks the
// key events of the calling thread and starts capturing them.
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebLoadDriver(ZebKeyCallback callback);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebLoadDriver0(void);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebUnloadDriver(void);
// on != 0: empties the echo and captures; 0: key events pass on.
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebEnableEcho(int32_t on);
// Moves the captured events into the two buffers (virtual-key codes, scan
// codes), each terminated by a zero byte; returns their number, -1 when not
// loaded, and count + 1 without taking anything when size is too small.
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebGetEchoChars(char* keys, char* scans, int32_t size);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebSendData(const unsigned char* data, int32_t count);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebSetDelay(int32_t delay);
// Length of the last-error text plus 1 (0 when there is none); copies and
// clears the text when size allows.
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebGetLastError(char* text, int32_t size);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebGetVersion(int32_t* word);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebGetVersionEx(int32_t* word1, int32_t* word2);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebGetTrace(char* text, int32_t size);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebTestVxd(char* text, int32_t size);
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebTestDllApi(char* text, int32_t size);

// The keyboard hook procedure, where the system has no keyboard hook of its
// own (not on Windows). The program hands it every key event of its
// user-interface thread (keyDown 1 for a key going down, 0 for one coming
// up); 1 means the event was captured and must be swallowed, 0 that it
// passes on. Events of other threads always pass on.
#ifndef _WIN32
ZEBAPI_EXPORT int32_t ZEBAPI_CALL ZebKeyboardHookProc(int32_t virtualKey, int32_t scanCode,
                                                      int32_t keyDown);
#endif

#ifdef __cplusplus
}
#endif
