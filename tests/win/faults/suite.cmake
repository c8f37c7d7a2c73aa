# Included by tests/CMakeLists.txt after wintest_faults is made. The suite starts the real Setup.exe as a process,
# plants a library beside it, and reads process memory figures (psapi).
add_library(PlantedUxTheme SHARED ${CMAKE_CURRENT_LIST_DIR}/helpers/PlantedDll.c)
set_target_properties(PlantedUxTheme PROPERTIES OUTPUT_NAME uxtheme PREFIX "" RUNTIME_OUTPUT_DIRECTORY
  ${CMAKE_CURRENT_BINARY_DIR}/planted)
add_executable(LoadControl ${CMAKE_CURRENT_LIST_DIR}/helpers/LoadControl.c)
set_target_properties(LoadControl PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/planted)
add_dependencies(wintest_faults Setup PlantedUxTheme LoadControl)
target_link_libraries(wintest_faults PRIVATE psapi)
target_compile_definitions(wintest_faults PRIVATE QS_SETUP_EXE="$<TARGET_FILE:Setup>"
  QS_PLANTED_DLL="$<TARGET_FILE:PlantedUxTheme>" QS_LOAD_CONTROL_EXE="$<TARGET_FILE:LoadControl>")
