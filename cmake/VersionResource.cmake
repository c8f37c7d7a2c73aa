# qs_version_resource(TARGET FILE_NAME DESCRIPTION): gives TARGET the version resource that Windows shows under
# the file's Properties: product "Quillostrand Setup", the version of the sources, the file's name and DESCRIPTION.
set(QS_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/VersionInfo.rc.in)
function(qs_version_resource target file_name description)
  if(description MATCHES "[\"\\\\]" OR file_name MATCHES "[\"\\\\]")
    message(FATAL_ERROR "qs_version_resource: quotes and backslashes do not belong in ${file_name}, ${description}")
  endif()
  set(QS_FILE_NAME "${file_name}")
  get_filename_component(QS_INTERNAL_NAME "${file_name}" NAME_WE)
  set(QS_FILE_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${QS_VERSION_RC_IN} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
