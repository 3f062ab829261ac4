# Cross-compiling the module for 64-bit Windows on Linux with Clang from the
# Zig toolchain (x86_64-windows-gnu: the Universal C runtime that python.org's
# CPython uses, libc++ linked in statically). scripts/release-windows.sh
# writes the compiler wrappers named by RIGKIT_WINDOWS_BIN and passes the
# interpreter's headers and import library as Python_INCLUDE_DIR and
# Python_LIBRARY.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER "${RIGKIT_WINDOWS_BIN}/cc")
set(CMAKE_CXX_COMPILER "${RIGKIT_WINDOWS_BIN}/c++")
set(CMAKE_AR "${RIGKIT_WINDOWS_BIN}/ar")
set(CMAKE_RANLIB "${RIGKIT_WINDOWS_BIN}/ranlib")
set(CMAKE_RC_COMPILER "${RIGKIT_WINDOWS_BIN}/rc")
# Nothing of the build machine may be found for the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RIGKIT_WINDOWS_BIN)
