# Installation and the Debian package. Included from the top-level CMakeLists.txt.

# Debian keeps games in /usr/games (on every user's PATH) with their manual pages in section 6.
set(LUMORRA_INSTALL_GAMESDIR games CACHE STRING "Where the program is installed, under the prefix")

# The manual page: written in scdoc, turned into troff and compressed the way Debian wants
# (maximum compression, no timestamp, so the package is reproducible).
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
set(LUMORRA_DOC_DIR ${CMAKE_BINARY_DIR}/doc)
add_custom_command(
  OUTPUT ${LUMORRA_DOC_DIR}/lumorra.6.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMORRA_DOC_DIR}
  COMMAND ${SCDOC} < ${CMAKE_CURRENT_SOURCE_DIR}/packaging/lumorra.6.scd > ${LUMORRA_DOC_DIR}/lumorra.6
  COMMAND ${GZIP} -9nf ${LUMORRA_DOC_DIR}/lumorra.6
  DEPENDS packaging/lumorra.6.scd
  COMMENT "Writing the manual page"
  VERBATIM)
add_custom_command(
  OUTPUT ${LUMORRA_DOC_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMORRA_DOC_DIR}
  COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog > ${LUMORRA_DOC_DIR}/changelog.gz
  DEPENDS packaging/changelog
  VERBATIM)
add_custom_target(docs ALL DEPENDS ${LUMORRA_DOC_DIR}/lumorra.6.gz ${LUMORRA_DOC_DIR}/changelog.gz)

# The copyright file in Debian's machine-readable format, with the licence text taken from
# LICENSE so that there is one copy of it.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission is hereby granted" start)
string(SUBSTRING "${licence}" ${start} -1 licence)
string(STRIP "${licence}" licence)
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
set(LUMORRA_LICENSE_TEXT " ${licence}")
configure_file(packaging/copyright.in ${LUMORRA_DOC_DIR}/copyright @ONLY)

install(TARGETS lumorra RUNTIME DESTINATION ${LUMORRA_INSTALL_GAMESDIR})
install(FILES ${LUMORRA_DOC_DIR}/lumorra.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${LUMORRA_DOC_DIR}/copyright ${LUMORRA_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/lumorra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/org.lumorra.Lumorra.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${LUMORRA_MEDIA_DIR}/icon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME lumorra.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumorra)
set(CPACK_PACKAGE_VENDOR "The Lumorra developers")
set(CPACK_PACKAGE_CONTACT "The Lumorra developers <lumorra@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen dark room with a light bulb on a pull chain")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumorra turns the whole screen into a photograph of a dark room with a light
bulb hanging on a pull chain. Pull the chain and the light comes on; leave it
on and it flickers, burns out, gives one last flash and leaves the screen
black.

Photosensitivity warning: the light flickers and flashes, up to 40 times a
second.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps writes the library dependencies with their version floors from the binary;
# it cannot see what is only read or loaded at run time: the font the labels use, fontconfig's
# configuration and cache tools, and the sound mixer, loaded when sound is first wanted (2.0.2
# brought the device-opening call the program uses).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fontconfig, fonts-dejavu-core, libsdl2-mixer-2.0-0 (>= 2.0.2)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
