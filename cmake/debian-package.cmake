# The Debian package, vantrelle_<version>-<release>_amd64.deb, built with `cpack -G DEB`
# in a Linux build directory. The install rules here add what a Debian system expects
# beside the programs: icons at the sizes menus and docks ask for, manual pages, the
# copyright file and the changelog.
include(GNUInstallDirs)

set(VANTRELLE_DEB_RELEASE 1)
set(VANTRELLE_DEB_VERSION "${PROJECT_VERSION}-${VANTRELLE_DEB_RELEASE}")
set(_packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(_out ${PROJECT_BINARY_DIR}/packaging)
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/vantrelle)
file(MAKE_DIRECTORY ${_out})

# gzip -n: no name and no time stamp, so the same sources give the same package.
function(_vantrelle_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9nc \"$0\" >\"$1\"" ${source} ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

set(_generated ${_out}/vantrelle-cli.1.gz ${_out}/changelog.Debian.gz)
_vantrelle_gzip(${_packaging}/vantrelle-cli.1 ${_out}/vantrelle-cli.1.gz)
install(FILES ${_out}/vantrelle-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(VANTRELLE_GUI)
  _vantrelle_gzip(${_packaging}/vantrelle.1 ${_out}/vantrelle.1.gz)
  install(FILES ${_out}/vantrelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND _generated ${_out}/vantrelle.1.gz)

  # The program installs the 256-pixel art itself; the smaller sizes are scaled from it
  # here rather than kept as copies that could drift from the art.
  find_program(VANTRELLE_CONVERT convert REQUIRED)
  set(_icon ${PROJECT_SOURCE_DIR}/src/app/resources/art/icon.png)
  foreach(_size 16 22 24 32 48 64 128)
    set(_png ${_out}/icons/${_size}x${_size}/vantrelle.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/icons/${_size}x${_size}
      COMMAND ${VANTRELLE_CONVERT} ${_icon} -resize ${_size}x${_size} -strip
              -define png:exclude-chunks=date,time ${_png}
      DEPENDS ${_icon} VERBATIM)
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
    list(APPEND _generated ${_png})
  endforeach()
endif()

# The copyright file in Debian's machine-readable form, its licence text taken from
# LICENSE so that the two never disagree.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _licence)
string(REGEX REPLACE "^.*\n(Permission is hereby granted)" "\\1" _licence "${_licence}")
string(STRIP "${_licence}" _licence)
string(REGEX REPLACE "\n\n" "\n.\n" _licence "${_licence}")
string(REPLACE "\n" "\n " _licence "${_licence}")
set(VANTRELLE_LICENSE_BODY " ${_licence}")
configure_file(${_packaging}/copyright.in ${_out}/copyright @ONLY)
configure_file(${_packaging}/changelog.in ${_out}/changelog.Debian @ONLY)
_vantrelle_gzip(${_out}/changelog.Debian ${_out}/changelog.Debian.gz)
install(FILES ${_out}/copyright ${_out}/changelog.Debian.gz DESTINATION ${_docdir})

add_custom_target(vantrelle_package_files ALL DEPENDS ${_generated})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrelle)
set(CPACK_PACKAGE_VENDOR "${VANTRELLE_PACKAGE_VENDOR}")
set(CPACK_PACKAGE_CONTACT "${VANTRELLE_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "repairs files and folders that malware hid on a USB stick")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${_packaging}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VANTRELLE_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANTRELLE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# ntfs-3g mounts NTFS sticks with their attributes; the programs run no other tool.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ntfs-3g)
if(VANTRELLE_GUI)
  # The fonts the windows ask for stand in for Windows' own; without them Qt falls back
  # to whatever fontconfig offers and captions may be clipped.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-liberation")
endif()
include(CPack)
