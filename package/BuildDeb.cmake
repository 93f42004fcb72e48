# cmake -DBUILD_DIR=... -DCONTROL=... -DVERSION=... -DTREE=... -DDEB=... -P BuildDeb.cmake
#
# Makes the package from the build's install rules (component "vigilant") and the control file
# in DEBIAN/: the package tree at TREE, the package at DEB. dpkg-deb builds it rather than
# cpack, whose control file cannot carry the fields the phone's package managers show (Name,
# Author).
file(REMOVE_RECURSE "${TREE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component vigilant
                        --prefix "${TREE}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# Installed-Size counts KiB of the files, as dpkg-gencontrol does.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${TREE}/*")
set(bytes 0)
foreach(f IN LISTS files)
  file(SIZE "${f}" size)
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR installed_size "(${bytes} + 1023) / 1024")
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE architecture
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file("${CONTROL}" "${TREE}/DEBIAN/control" @ONLY)

# gzip, which the dpkg of iPhone OS 2 to iOS 4 reads (it knows no xz).
execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${TREE}" "${DEB}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
