# The screen-reader tests are a client of the system's accessibility library, also of the real Setup.exe.
target_link_libraries(wintest_ui PRIVATE oleacc oleaut32)
add_dependencies(wintest_ui Setup)
target_compile_definitions(wintest_ui PRIVATE QS_SETUP_EXE="$<TARGET_FILE:Setup>")
