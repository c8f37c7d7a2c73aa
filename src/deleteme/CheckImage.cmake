# Checks a built DeleteMe image: GUI subsystem, under 16 KB, a manifest and a version resource, and imports from
# KERNEL32.dll plus MessageBoxW from USER32.dll only, none of them an ANSI ("...A") function: those would pass a
# path outside the system code page on as look-alikes.  cmake -DIMAGE=... -DOBJDUMP=... -P CheckImage.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/PeImage.cmake)
qs_read_gui_image("${IMAGE}" "${OBJDUMP}" 16383)
qs_imports("${qs_dump}")
foreach(import IN LISTS qs_imports)
  string(REPLACE "!" ";" parts "${import}")
  list(GET parts 0 dll)
  list(GET parts 1 fn)
  if(NOT dll STREQUAL "KERNEL32.DLL" AND NOT dll STREQUAL "USER32.DLL")
    message(FATAL_ERROR "${IMAGE} imports from ${dll}")
  endif()
  if(dll STREQUAL "USER32.DLL" AND NOT fn STREQUAL "MessageBoxW")
    message(FATAL_ERROR "${IMAGE} imports ${fn} from USER32.dll")
  endif()
  if(fn MATCHES "[a-z0-9]A$")
    message(FATAL_ERROR "${IMAGE} imports the ANSI function ${fn}")
  endif()
endforeach()
qs_require_imports("${IMAGE}" "${qs_imports}" USER32.DLL!MessageBoxW KERNEL32.DLL!GetCommandLineW
                   KERNEL32.DLL!DeleteFileW)
message(STATUS "${IMAGE}: ${qs_size} bytes; imports ${qs_imports}")
