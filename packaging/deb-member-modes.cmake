# Run by cpack once it has made the package (CPACK_POST_BUILD_SCRIPTS). The members of a .deb
# (debian-binary, control.tar.*, data.tar.*) carry in their ar headers the modes their files had
# on disk, which follow the umask of whoever made the package. They are set to 0644 here, so
# that the package is the same byte for byte whoever makes it.
set(mode_file ${CPACK_TOPLEVEL_DIRECTORY}/ar-member-mode)
file(WRITE ${mode_file} "100644  ")  # the header's mode field: 8 characters, octal
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE "${deb}" total)
  set(offset 8)  # after "!<arch>\n"
  while(offset LESS total)
    # A member's header: name 16, date 12, owner 6, group 6, mode 8, size 10, magic 2.
    file(READ "${deb}" header OFFSET ${offset} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 size)
    string(STRIP "${size}" size)
    if(NOT size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${deb}: no ar member header at ${offset}")
    endif()
    math(EXPR mode_at "${offset} + 40")
    execute_process(COMMAND dd of=${deb} bs=1 seek=${mode_at} conv=notrunc status=none
                    INPUT_FILE ${mode_file} COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR offset "${offset} + 60 + ${size} + ${size} % 2")  # members start at even offsets
  endwhile()
endforeach()
