# Cross build for Windows (i686) with Debian's mingw-w64 (the posix thread
# model, which std::thread and std::mutex need).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
