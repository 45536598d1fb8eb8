#pragma once

// The exports of libOruUsbHidCtrl. Every result is a 32-bit integer, 0
// meaning failure or "no"; buffers belong to the caller. Each call is
// forwarded to OruUsbHidCtrlSrv64, which the library starts from the folder
// of the calling program on first use.

#include <stdint.h>

#if defined(_WIN32)
// The system's standard calling convention; the export names come
// undecorated from OruUsbHidCtrl.def.
#define ORUUSBHIDCTRL_API
#define ORUUSBHIDCTRL_CALL __stdcall
#elif defined(ORUUSBHIDCTRL_BUILD)
#define ORUUSBHIDCTRL_API __attribute__((visibility("default")))
#define ORUUSBHIDCTRL_CALL
#else
#define ORUUSBHIDCTRL_API
#define ORUUSBHIDCTRL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Looks for readers anew; the number found.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidGetAvailableDeviceList(void);
// 1 when the list held readers.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidReleaseDeviceList(void);
// The product name of reader `index` into `name` (at least 256 bytes) and
// whether it carries the filter into `*filterPresent`; 0 (empty name, flag 0)
// for an index at or above the count.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidEnumDeviceList(int32_t index, char* name,
                                                                  uint8_t* filterPresent);
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidSelectDevice(int32_t index);
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidIsDeviceSelected(void);
// One byte read from the selected reader into `*code`.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidGetDeviceControlCode(uint8_t* code);
// The low 8 bits of `code` go to the reader.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidSetDeviceControlCode(int32_t code);
// The low 8 bits: 253 enters programming, 254 leaves it.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidSetDownloadChannel(int32_t channel);
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidDeselectDevice(void);
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidIsDeviceReady(void);
// Sends `length` bytes (at most 1032) one by one as control codes.
ORUUSBHIDCTRL_API int32_t ORUUSBHIDCTRL_CALL UsbHidSetDeviceBufferedData(const uint8_t* data,
                                                                         uint32_t length,
                                                                         int32_t value);

#ifdef __cplusplus
}
#endif
