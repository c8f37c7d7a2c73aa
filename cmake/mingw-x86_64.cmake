# The 64-bit build: for systems without 32-bit support, and the test vehicle on hosts that run no 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QS_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
