# What the image checks of our small programs share (included by cmake -P scripts): reading a Windows image with
# objdump and walking its import tables.

# qs_read_gui_image(IMAGE OBJDUMP MAX_BYTES): the image's objdump listing in qs_dump and its size in qs_size; fails
# unless it is a GUI-subsystem program of at most MAX_BYTES with a manifest (resource 0x18) and a version (0x10).
function(qs_read_gui_image image objdump max_bytes)
  file(SIZE "${image}" size)
  if(size GREATER max_bytes)
    message(FATAL_ERROR "${image} is ${size} bytes, more than ${max_bytes}")
  endif()
  execute_process(COMMAND "${objdump}" -p "${image}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${image}")
  endif()
  if(NOT dump MATCHES "Subsystem[\t ]+00000002")
    message(FATAL_ERROR "${image} is not a GUI-subsystem program")
  endif()
  foreach(id 000018 000010)
    if(NOT dump MATCHES "Entry: ID: 0x${id}")
      message(FATAL_ERROR "${image} lacks the resource type 0x${id} (0x18 manifest, 0x10 version)")
    endif()
  endforeach()
  set(qs_dump "${dump}" PARENT_SCOPE)
  set(qs_size ${size} PARENT_SCOPE)
endfunction()

# qs_imports(DUMP): every imported function of an objdump listing, as "DLL!Function" (the DLL in capitals), in
# qs_imports.
function(qs_imports dump)
  string(REPLACE "\n" ";" lines "${dump}")
  set(dll "")
  set(imports "")
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
      string(TOUPPER "${CMAKE_MATCH_1}" dll)
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_0-9]+)$")
      list(APPEND imports "${dll}!${CMAKE_MATCH_1}")
    elseif(line MATCHES "^$")
      set(dll "")
    endif()
  endforeach()
  set(qs_imports "${imports}" PARENT_SCOPE)
endfunction()

# qs_require_imports(IMAGE IMPORTS NEEDED...): fails unless every NEEDED "DLL!Function" is among IMPORTS.
function(qs_require_imports image imports)
  foreach(needed IN LISTS ARGN)
    list(FIND imports "${needed}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${image} does not import ${needed}; import list: ${imports}")
    endif()
  endforeach()
endfunction()
