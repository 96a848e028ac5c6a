# Run by CPack on the staged files of the .deb before it is built: what
# Debian expects of a package besides the program and its manual page.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(docdir ${root}/${CPACK_TARNLIX_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${docdir})

# gzip -n: no name or time stamp in the header, so the bytes are repeatable.
function(gzip_best file)
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${file} failed")
  endif()
endfunction()

gzip_best(${root}/${CPACK_TARNLIX_MANDIR}/man1/tarnlix.1)

# The licence in Debian's machine-readable copyright form (MIT is "Expat"
# there): the licence text indented by one space, " ." for a blank line.
file(READ ${CPACK_RESOURCE_FILE_LICENSE} license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" notice "${license}")
set(holder ${CMAKE_MATCH_1})
string(REGEX REPLACE "^MIT License\n+Copyright[^\n]*\n+" "" terms "${license}")
string(STRIP "${terms}" terms)
string(REGEX REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REGEX REPLACE "\n" "\n " terms "${terms}")
file(WRITE ${docdir}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${CPACK_PACKAGE_NAME}

Files: *
Copyright: ${holder}
License: Expat
 ${terms}
")

# One changelog entry for the version packaged, dated when the package is
# built (or at SOURCE_DATE_EPOCH, for a repeatable build).
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${docdir}/changelog.Debian
"${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}) stable; urgency=medium

  * Release ${CPACK_PACKAGE_VERSION}, packaged with CPack.

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")
gzip_best(${docdir}/changelog.Debian)

# What lintian says of this package that is so on purpose.
file(WRITE ${root}/${CPACK_TARNLIX_DATAROOTDIR}/lintian/overrides/${CPACK_PACKAGE_NAME}
"# Static on purpose: loading the C++ runtime at start-up costs more than a
# whole run, and scripts run the tool once per value.
${CPACK_PACKAGE_NAME}: statically-linked-binary [usr/bin/${CPACK_PACKAGE_NAME}]
# Built for the machines of its users, not uploaded to Debian: no ITP bug.
${CPACK_PACKAGE_NAME}: initial-upload-closes-no-bugs
")
