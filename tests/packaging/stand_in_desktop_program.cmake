# Given as CMAKE_PROJECT_INCLUDE to a cross build by scripts/test.d/35-windows-packages.sh:
# adds an executable named Vantrelle.exe, which the Windows packages must then take in.
add_executable(vantrelle_stand_in WIN32 ${CMAKE_CURRENT_LIST_DIR}/stand_in_desktop_program.cpp)
set_target_properties(vantrelle_stand_in PROPERTIES
  OUTPUT_NAME Vantrelle
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/stand-in)
