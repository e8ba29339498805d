# What a user downloads: the Debian package from a Linux build (cpack -G DEB), the
# portable archive and the installer from the Windows cross build (target
# windows-packages). Included last, when every program's target exists.
set(VANTRELLE_PACKAGE_VENDOR "The Vantrelle developers")
string(REGEX REPLACE ":[0-9]+$" "" _vantrelle_mail_host "${VANTRELLE_SITE_HOST}")
set(VANTRELLE_PACKAGE_CONTACT "${VANTRELLE_PACKAGE_VENDOR} <developers@${_vantrelle_mail_host}>")
set(VANTRELLE_HOMEPAGE "http://${VANTRELLE_SITE_HOST}/")

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows-packages.cmake)
elseif(UNIX AND NOT APPLE)
  include(${CMAKE_CURRENT_LIST_DIR}/debian-package.cmake)
endif()
