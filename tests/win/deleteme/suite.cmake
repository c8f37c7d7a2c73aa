# Included by tests/CMakeLists.txt after wintest_deleteme is made. The suite embeds DeleteMe.exe as Setup.exe does
# (so StartSelfRemoval runs for real) and starts DeleteMe.exe and DeleteMeTest.exe as processes.
target_sources(wintest_deleteme PRIVATE ${QS_DELETEME_RC})
add_dependencies(wintest_deleteme DeleteMe DeleteMeTest)
target_compile_definitions(wintest_deleteme PRIVATE
  QS_DELETEME_EXE="$<TARGET_FILE:DeleteMe>" QS_DELETEME_TEST_EXE="$<TARGET_FILE:DeleteMeTest>")
