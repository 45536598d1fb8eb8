// A 32-bit program that loads zebapi.dll from its own folder as the
// configuration program does and calls its thirteen exports, on a system
// without the keyboard port driver and its installer (wine): the library
// keeps its settings in the registry and reports the missing driver.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) {
        ++failures;
    }
}

constexpr const char* kSettings =
    "Software\\Tarvik Veviriz Inc.\\Lumo Setting DLL Library\\Settings";

using NoArguments = std::int32_t(__stdcall*)();
using Number = std::int32_t(__stdcall*)(std::int32_t);
using Callback = void(__stdcall*)(std::int32_t, std::int32_t);
using Load = std::int32_t(__stdcall*)(Callback);
using Text = std::int32_t(__stdcall*)(char*, std::int32_t);
using EchoChars = std::int32_t(__stdcall*)(char*, char*, std::int32_t);
using Send = std::int32_t(__stdcall*)(const unsigned char*, std::int32_t);
using Version = std::int32_t(__stdcall*)(std::int32_t*);
using VersionEx = std::int32_t(__stdcall*)(std::int32_t*, std::int32_t*);

template <typename Function>
Function Export(HMODULE library, const char* name) {
    auto function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
    Check(function != nullptr, name);
    return function;
}

void SetNumber(const char* name, DWORD value) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(key);
}

bool Query(const char* name, DWORD& type, std::string& data) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    char buffer[512] = {};
    DWORD size = sizeof buffer;
    const bool ok = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                       &size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    data.assign(buffer, size);
    return ok;
}

std::string LastError(Text getLastError) {
    char text[512] = {};
    const std::int32_t needed = getLastError(text, sizeof text);
    return needed == 0 ? std::string() : std::string(text);
}

}  // namespace

int main() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tarvik Veviriz Inc.\\Lumo Setting DLL Library");
    SetNumber("EchoBufferSize", 10000);

    HMODULE library = ::LoadLibraryA("zebapi.dll");
    Check(library != nullptr, "zebapi.dll loads");
    if (library == nullptr) {
        return 1;
    }
    auto load = Export<Load>(library, "ZebLoadDriver");
    auto load0 = Export<NoArguments>(library, "ZebLoadDriver0");
    auto unload = Export<NoArguments>(library, "ZebUnloadDriver");
    auto enableEcho = Export<Number>(library, "ZebEnableEcho");
    auto echoChars = Export<EchoChars>(library, "ZebGetEchoChars");
    auto send = Export<Send>(library, "ZebSendData");
    auto setDelay = Export<Number>(library, "ZebSetDelay");
    auto getLastError = Export<Text>(library, "ZebGetLastError");
    auto version = Export<Version>(library, "ZebGetVersion");
    auto versionEx = Export<VersionEx>(library, "ZebGetVersionEx");
    auto trace = Export<Text>(library, "ZebGetTrace");
    auto testVxd = Export<Text>(library, "ZebTestVxd");
    auto testDllApi = Export<Text>(library, "ZebTestDllApi");
    Check(::GetProcAddress(library, "ZebKeyboardHookProc") == nullptr,
          "no export beyond the thirteen (the hook is the system's)");
    if (failures != 0) {
        return 1;
    }

    char text[64] = {};
    Check(testDllApi(text, sizeof text) != 0 && std::string(text) == "linked ok!",
          "ZebTestDllApi says \"linked ok!\"");

    // No zebdrv2k service and no instdrv on the search path.
    Check(load0() == 0, "ZebLoadDriver0 fails without the driver");
    const std::string expected = "Unable to install the driver,\n";
    const std::string error = LastError(getLastError);
    Check(error.rfind(expected, 0) == 0 && error.size() > expected.size(),
          "the last error is \"Unable to install the driver,\" and the system's text: \"" + error +
              "\"");
    Check(LastError(getLastError).empty(), "fetching the last error clears it");
    Check(load(nullptr) == 0, "ZebLoadDriver fails the same way");
    char small[4] = {};
    const std::int32_t needed = getLastError(small, sizeof small);
    Check(needed > 4 && LastError(getLastError).rfind(expected, 0) == 0,
          "a short buffer gets the needed size and keeps the text");

    // The settings were read from the registry and the replaced ones
    // written back.
    DWORD type = 0;
    std::string data;
    Check(Query("EchoBufferSize", type, data) && type == REG_DWORD && data.size() == 4 &&
              *reinterpret_cast<const DWORD*>(data.data()) == 8192,
          "EchoBufferSize 10000 is written back as 8192");
    Check(Query("LogFileName", type, data) && type == REG_SZ &&
              std::string(data.c_str()) == "c:\\zebecho.txt",
          "the missing LogFileName is written back as c:\\zebecho.txt");

    Check(unload() == 0 && LastError(getLastError) == "No driver loaded",
          "ZebUnloadDriver without a driver: \"No driver loaded\"");
    Check(enableEcho(1) == 0, "ZebEnableEcho needs a loaded driver");
    char keys[16] = {}, scans[16] = {};
    Check(echoChars(keys, scans, sizeof keys) == -1, "ZebGetEchoChars answers -1 when not loaded");
    Check(setDelay(5) == 1, "ZebSetDelay always answers 1");
    const unsigned char bytes[2] = {0x02, 0x03};
    Check(send(bytes, 2) == 0, "ZebSendData fails without a driver");
    LastError(getLastError);
    std::int32_t word1 = 7, word2 = 7;
    Check(version(&word1) == 0, "ZebGetVersion fails without a driver");
    Check(versionEx(&word1, &word2) == 0, "ZebGetVersionEx fails without a driver");
    Check(trace(text, sizeof text) == 0, "ZebGetTrace fails without a driver");
    std::strcpy(text, "hello");
    Check(testVxd(text, sizeof text) == 0, "ZebTestVxd fails without a driver");

    ::FreeLibrary(library);
    std::printf("zebapi: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
