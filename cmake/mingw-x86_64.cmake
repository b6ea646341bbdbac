# The same sources for 64-bit Windows: what the Windows tests and the demo run on hosts whose
# kernel refuses 32-bit programs (Wine's 32-bit loader cannot start there).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
