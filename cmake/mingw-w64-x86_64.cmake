# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model, which std::thread
# and Qt need). Used for Qt itself and for Tessavel; scripts/windows/build.sh passes it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSAVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSAVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSAVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSAVEL_MINGW_TRIPLE}-windres)

# Libraries and packages come from the mingw sysroot and from the prefixes the caller names in
# TESSAVEL_WIN_PREFIXES (the cross-built Qt, GoogleTest); programs such as moc come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TESSAVEL_MINGW_TRIPLE} ${TESSAVEL_WIN_PREFIXES})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSAVEL_WIN_PREFIXES)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
