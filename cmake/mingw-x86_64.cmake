# Cross build for 64-bit Windows with the posix thread model (GoogleTest needs std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine in code page 932; WINEPREFIX comes from the environment of scripts/test.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
    WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 /usr/lib/wine/wine64)
