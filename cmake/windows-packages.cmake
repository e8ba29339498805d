# The portable archive vantrelle-<version>-win64.zip and the NSIS installer
# vantrelle-<version>-win64-setup.exe, made from this build's Windows programs by the
# target windows-packages. The desktop program joins both, with its shortcut, as soon as
# the build has an executable named Vantrelle.exe.
set(_packaging ${PROJECT_SOURCE_DIR}/packaging/windows)
set(_out ${PROJECT_BINARY_DIR}/packaging)
set(_stage ${_out}/stage)
set(VANTRELLE_WIN64_ZIP ${PROJECT_BINARY_DIR}/vantrelle-${PROJECT_VERSION}-win64.zip)
set(VANTRELLE_WIN64_SETUP ${PROJECT_BINARY_DIR}/vantrelle-${PROJECT_VERSION}-win64-setup.exe)

# The desktop program's target, found by the file it makes (Windows names are not case
# sensitive), wherever and under whatever target name the build defines it.
function(_vantrelle_find_desktop_program directory result)
  get_property(_targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(_target IN LISTS _targets)
    get_target_property(_type ${_target} TYPE)
    if(_type STREQUAL "EXECUTABLE")
      get_target_property(_name ${_target} OUTPUT_NAME)
      if(NOT _name)
        set(_name ${_target})
      endif()
      string(TOLOWER "${_name}" _name)
      if(_name STREQUAL "vantrelle")
        set(${result} ${_target} PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
  get_property(_subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(_subdirectory IN LISTS _subdirectories)
    _vantrelle_find_desktop_program(${_subdirectory} _found)
    if(_found)
      set(${result} ${_found} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} "" PARENT_SCOPE)
endfunction()
_vantrelle_find_desktop_program(${PROJECT_SOURCE_DIR} VANTRELLE_DESKTOP_TARGET)

set(_program_targets vantrelle_cli)
set(_stage_programs ${_stage}/vantrelle-cli.exe)
set(_copy_programs COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vantrelle_cli> ${_stage}/vantrelle-cli.exe)
set(_makensis_defines)
if(VANTRELLE_DESKTOP_TARGET)
  set(_readme_variant gui)
  list(APPEND _program_targets ${VANTRELLE_DESKTOP_TARGET})
  list(APPEND _stage_programs ${_stage}/Vantrelle.exe)
  list(APPEND _copy_programs
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${VANTRELLE_DESKTOP_TARGET}> ${_stage}/Vantrelle.exe)
  list(APPEND _makensis_defines -DWITH_DESKTOP_PROGRAM)
  message(STATUS "windows-packages: with ${VANTRELLE_DESKTOP_TARGET} as Vantrelle.exe")
else()
  set(_readme_variant cli)
  message(STATUS "windows-packages: no Vantrelle.exe in this build, vantrelle-cli.exe only")
endif()

set(VERSION ${PROJECT_VERSION})  # README.txt's @VERSION@
configure_file(${_packaging}/README.txt.in ${_out}/README.txt.in @ONLY)
set(_text_tool ${PROJECT_SOURCE_DIR}/cmake/windows-text-file.cmake)
add_custom_command(OUTPUT ${_stage}/README.txt ${_stage}/LICENSE.txt ${_stage_programs}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}
  ${_copy_programs}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${_out}/README.txt.in -DOUTPUT=${_stage}/README.txt
          -DKEEP=${_readme_variant} -P ${_text_tool}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/LICENSE -DOUTPUT=${_stage}/LICENSE.txt
          -P ${_text_tool}
  DEPENDS ${_program_targets} ${_out}/README.txt.in ${PROJECT_SOURCE_DIR}/LICENSE ${_text_tool}
  COMMENT "Gathering the Windows programs, README.txt and LICENSE.txt"
  VERBATIM)

# The files sit at the top of the archive: "Extract All" then makes one folder of them.
string(REPLACE "${_stage}/" "" _stage_names "${_stage_programs}")
add_custom_command(OUTPUT ${VANTRELLE_WIN64_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VANTRELLE_WIN64_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${VANTRELLE_WIN64_ZIP} --format=zip --
          ${_stage_names} README.txt LICENSE.txt
  WORKING_DIRECTORY ${_stage}
  DEPENDS ${_stage}/README.txt ${_stage}/LICENSE.txt ${_stage_programs}
  COMMENT "Packing ${VANTRELLE_WIN64_ZIP}"
  VERBATIM)

find_program(VANTRELLE_MAKENSIS makensis)
find_program(VANTRELLE_CONVERT convert)
if(VANTRELLE_MAKENSIS AND VANTRELLE_CONVERT)
  set(_icon ${_out}/vantrelle.ico)
  add_custom_command(OUTPUT ${_icon}
    COMMAND ${VANTRELLE_CONVERT} ${PROJECT_SOURCE_DIR}/src/app/resources/art/icon.png
            -define icon:auto-resize=256,48,32,16 ${_icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/src/app/resources/art/icon.png
    VERBATIM)
  add_custom_command(OUTPUT ${VANTRELLE_WIN64_SETUP}
    COMMAND ${VANTRELLE_MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION} -DSTAGE=${_stage}
            -DICON=${_icon} -DOUTFILE=${VANTRELLE_WIN64_SETUP} ${_makensis_defines}
            "-DPUBLISHER=${VANTRELLE_PACKAGE_VENDOR}" -DHOMEPAGE=${VANTRELLE_HOMEPAGE}
            ${_packaging}/vantrelle.nsi
    DEPENDS ${_packaging}/vantrelle.nsi ${_icon} ${_stage}/README.txt ${_stage}/LICENSE.txt
            ${_stage_programs}
    COMMENT "Building ${VANTRELLE_WIN64_SETUP} with NSIS"
    VERBATIM)
  add_custom_target(windows-packages DEPENDS ${VANTRELLE_WIN64_ZIP} ${VANTRELLE_WIN64_SETUP})
else()
  add_custom_target(windows-packages
    COMMAND ${CMAKE_COMMAND} -E echo "windows-packages: the installer needs makensis (Debian package nsis) and ImageMagick's convert"
    COMMAND ${CMAKE_COMMAND} -E false
    DEPENDS ${VANTRELLE_WIN64_ZIP}
    VERBATIM)
endif()
