# Included by tests/CMakeLists.txt after wintest_version is made. The suite reads the version resources of the
# built Setup.exe and DeleteMe.exe the way the file's Properties do (version.dll).
add_dependencies(wintest_version Setup DeleteMe)
target_link_libraries(wintest_version PRIVATE version)
target_compile_definitions(wintest_version PRIVATE QS_SETUP_EXE="$<TARGET_FILE:Setup>"
  QS_DELETEME_EXE="$<TARGET_FILE:DeleteMe>" QS_VERSION="${QS_VERSION}" QS_VERSION_NUMBERS=${QS_VERSION_NUMBERS})
