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

#if defined(__GNUC__)
#define ZEBAPI_EXPORT __attribute__((visibility("default")))
#else
#define ZEBAPI_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Called for every captured key event with its virtual-key code and its key
// message flags (repeat count 1, scan code in bits 16-23, bits 30 and 31 set
// when the key goes up).
typedef void (*ZebKeyCallback)(int32_t code, int32_t flags);

// Reads the settings, opens (and if needed installs) the driver, hooks the
// key events of the calling thread and starts capturing them.
ZEBAPI_EXPORT int32_t ZebLoadDriver(ZebKeyCallback callback);
ZEBAPI_EXPORT int32_t ZebLoadDriver0(void);
ZEBAPI_EXPORT int32_t ZebUnloadDriver(void);
// on != 0: empties the echo and captures; 0: key events pass on.
ZEBAPI_EXPORT int32_t ZebEnableEcho(int32_t on);
// Moves the captured events into the two buffers (virtual-key codes, scan
// codes), each terminated by a zero byte; returns their number, -1 when not
// loaded, and count + 1 without taking anything when size is too small.
ZEBAPI_EXPORT int32_t ZebGetEchoChars(char* keys, char* scans, int32_t size);
ZEBAPI_EXPORT int32_t ZebSendData(const unsigned char* data, int32_t count);
ZEBAPI_EXPORT int32_t ZebSetDelay(int32_t delay);
// Length of the last-error text plus 1 (0 when there is none); copies and
// clears the text when size allows.
ZEBAPI_EXPORT int32_t ZebGetLastError(char* text, int32_t size);
ZEBAPI_EXPORT int32_t ZebGetVersion(int32_t* word);
ZEBAPI_EXPORT int32_t ZebGetVersionEx(int32_t* word1, int32_t* word2);
ZEBAPI_EXPORT int32_t ZebGetTrace(char* text, int32_t size);
ZEBAPI_EXPORT int32_t ZebTestVxd(char* text, int32_t size);
ZEBAPI_EXPORT int32_t ZebTestDllApi(char* text, int32_t size);

// The keyboard hook procedure. The program hands it every key event of its
// user-interface thread (keyDown 1 for a key going down, 0 for one coming
// up); 1 means the event was captured and must be swallowed, 0 that it
// passes on. Events of other threads always pass on.
ZEBAPI_EXPORT int32_t ZebKeyboardHookProc(int32_t virtualKey, int32_t scanCode, int32_t keyDown);

#ifdef __cplusplus
}
#endif
