# The shipped build: 32-bit Windows, which every Windows runs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QS_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
