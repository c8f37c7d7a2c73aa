# Checks the built QstSetupStub image: GUI subsystem, at most 64 KB, a manifest asking for administrator rights,
# a version resource, and no ANSI ("...A") function imported from the system's DLLs: those would pass a download
# or temporary folder outside the system code page on as look-alikes. The two the 32-bit runtime's start-up
# imports to look for its unwinder DLL by a constant ASCII name are the exception.
#   cmake -DIMAGE=... -DOBJDUMP=... -P CheckStub.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/PeImage.cmake)
qs_read_gui_image("${IMAGE}" "${OBJDUMP}" 65536)
file(READ "${IMAGE}" bytes HEX)
string(HEX "requireAdministrator" wanted)
string(TOLOWER "${wanted}" wanted)
string(FIND "${bytes}" "${wanted}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${IMAGE}: its manifest does not ask for administrator rights")
endif()

qs_imports("${qs_dump}")
foreach(import IN LISTS qs_imports)
  string(REPLACE "!" ";" parts "${import}")
  list(GET parts 0 dll)
  list(GET parts 1 fn)
  if(NOT dll STREQUAL "MSVCRT.DLL" AND fn MATCHES "[a-z0-9]A$" AND NOT fn MATCHES "^(GetModuleHandleA|LoadLibraryA)$")
    message(FATAL_ERROR "${IMAGE} imports the ANSI function ${fn} from ${dll}")
  endif()
endforeach()
qs_require_imports("${IMAGE}" "${qs_imports}" KERNEL32.DLL!CreateFileW KERNEL32.DLL!CreateProcessW
                   ADVAPI32.DLL!CryptHashData USER32.DLL!MessageBoxW)
message(STATUS "${IMAGE}: ${qs_size} bytes")
