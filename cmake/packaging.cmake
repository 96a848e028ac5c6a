# Installing and packaging: `cmake --install` lays the tool out as a system
# tool (Linux) or as one folder (Windows); CPack turns that into a .deb or a
# zip.
include(GNUInstallDirs)

# The JSON Schema of the /JSON documents is the one /SCHEMA prints (a test
# checks that they are equal), installed beside the documentation.
if(WIN32)
  # Windows users unpack one folder: the exe, its two documents, the schema.
  install(TARGETS tarnlix RUNTIME DESTINATION .)
  install(FILES README.md LICENSE doc/tarnlix.schema.json DESTINATION .)
else()
  install(TARGETS tarnlix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES doc/tarnlix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES doc/tarnlix.schema.json DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnlix)
endif()

set(TARNLIX_PACKAGE_MAINTAINER "tarnlix authors <tarnlix@example.org>" CACHE STRING
    "Maintainer of the Debian package, as \"Name <address>\"")

set(CPACK_PACKAGE_NAME tarnlix)
set(CPACK_PACKAGE_VENDOR "the tarnlix authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "print the computer's SMBIOS identification values for scripts")
set(CPACK_PACKAGE_DESCRIPTION
"tarnlix reads the SMBIOS table, the firmware's inventory of BIOS, system,
baseboard, chassis, processor, cache, ports, slots, OEM strings, memory
devices and battery, and prints the values administrators capture in
scripts, such as the serial number or the BIOS version: bare, as CSV, one per
line or as JSON. It can also save the table to a file and read it back.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
  set(CPACK_GENERATOR ZIP)
  # The files at the top of the zip: "Extract All" makes the folder itself.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARNLIX_PACKAGE_MAINTAINER})
  # The static tool needs no library; a dynamic one gets its dependencies
  # worked out.
  if(NOT TARNLIX_STATIC OR TARNLIX_SANITIZE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
  # The Debian files: the compressed manual page, copyright, changelog.
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian-files.cmake)
  set(CPACK_TARNLIX_MANDIR ${CMAKE_INSTALL_MANDIR})
  set(CPACK_TARNLIX_DATAROOTDIR ${CMAKE_INSTALL_DATAROOTDIR})
endif()

include(CPack)
