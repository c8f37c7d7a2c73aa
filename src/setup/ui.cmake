# The setup window's layout and the splash window (compiled into qs_setup_core), and Setup.exe's resources.
# Included from src/setup/CMakeLists.txt.
set(QS_SETUP_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SetupLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupSplash.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupPages.h
)
# The pictures come from the framework's build folder (drawn there by mkart before qs_ui builds).
set(QS_ART_DIR ${CMAKE_BINARY_DIR}/src/framework/art)
set(QS_SETUP_RES_DIR ${CMAKE_CURRENT_LIST_DIR}/resources)
# The manifest names the build's processor architecture (QS_MANIFEST_ARCH).
configure_file(${QS_SETUP_RES_DIR}/Setup.exe.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/Setup.exe.manifest @ONLY)
configure_file(${QS_SETUP_RES_DIR}/Setup.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Setup.rc @ONLY)
set(QS_SETUP_RC ${CMAKE_CURRENT_BINARY_DIR}/Setup.rc)
set_source_files_properties(${QS_SETUP_RC} PROPERTIES
  OBJECT_DEPENDS "${QS_ART_DIR}/setup.ico;${QS_ART_DIR}/app.ico;${CMAKE_CURRENT_BINARY_DIR}/Setup.exe.manifest")
