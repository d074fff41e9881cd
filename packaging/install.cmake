# Installation and the Debian package. Included from the top-level CMakeLists.txt.

# Debian keeps games in /usr/games (on every user's PATH) with their manual pages in section 6.
set(LUMORRA_INSTALL_GAMESDIR games CACHE STRING "Where the program is installed, under the prefix")

# Two builds of one commit make the same package byte for byte: every date in it (the manual
# page's footer, the files' times) is the newest changelog entry's, unless the packager's
# SOURCE_DATE_EPOCH says otherwise.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                       ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(LUMORRA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  file(STRINGS packaging/changelog trailer REGEX "^ -- .*>  " LIMIT_COUNT 1)
  string(REGEX REPLACE "^ -- .*>  " "" changelog_date "${trailer}")
  execute_process(COMMAND date -u -d "${changelog_date}" +%s
                  OUTPUT_VARIABLE LUMORRA_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
endif()

# The manual page: written in scdoc, turned into troff and compressed the way Debian wants
# (maximum compression, no name or time in the gzip header).
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
set(LUMORRA_DOC_DIR ${CMAKE_BINARY_DIR}/doc)
add_custom_command(
  OUTPUT ${LUMORRA_DOC_DIR}/lumorra.6.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMORRA_DOC_DIR}
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${LUMORRA_SOURCE_DATE_EPOCH}
          ${SCDOC} < ${CMAKE_CURRENT_SOURCE_DIR}/packaging/lumorra.6.scd > ${LUMORRA_DOC_DIR}/lumorra.6
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

# The modes in the package are the ones Debian's policy asks for whoever builds it: the builder's
# umask (0002 for a normal user on Debian 13) would otherwise give the directories made on the
# way group write permission, another package, and lintian's warnings. Files get theirs from
# install() below, which always names them.
set(LUMORRA_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${LUMORRA_DIRECTORY_PERMISSIONS})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${LUMORRA_DIRECTORY_PERMISSIONS})
# The .deb's own members, which cpack writes as files first, likewise.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/deb-member-modes.cmake)

install(TARGETS lumorra RUNTIME DESTINATION ${LUMORRA_INSTALL_GAMESDIR})
# A stripped program (the package's, or `cmake --install --strip`) loses the compilers' version
# strings in .comment too, as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LUMORRA_INSTALL_GAMESDIR}/lumorra\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${LUMORRA_DOC_DIR}/lumorra.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${LUMORRA_DOC_DIR}/copyright ${LUMORRA_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/lumorra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/org.lumorra.lumorra.metainfo.xml
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
# Read by cpack when it starts: it checks for the tools the package needs, and gives cpack the
# date for the files' times.
configure_file(packaging/cpack-options.cmake.in ${CMAKE_BINARY_DIR}/cpack-options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack-options.cmake)
include(CPack)
