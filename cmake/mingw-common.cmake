# What both Windows cross builds share, for the toolchain file that sets
# TARNLIX_MINGW_TARGET (the compilers' prefix) and TARNLIX_WINE_BITS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER ${TARNLIX_MINGW_TARGET}-g++-posix)
set(CMAKE_C_COMPILER ${TARNLIX_MINGW_TARGET}-gcc-posix)
set(CMAKE_RC_COMPILER ${TARNLIX_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARNLIX_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One self-contained exe: only the system's own DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Its programs run under Wine: CTest runs every test program through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${TARNLIX_WINE_BITS})
