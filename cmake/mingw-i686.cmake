# The program we ship: 32-bit Windows, because the voice client's remote-control library is
# 32-bit and Sayvane loads it into its own process.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
