# ---- Install and package ----
# `cmake --install build` lays the game out as a Linux game is laid out:
#   bin/tumbleon                          the program
#   share/tumbleon/adatok/                its data, found from ../share/tumbleon beside bin
#   share/applications/tumbleon.desktop   the menu entry
#   share/icons/hicolor/NxN/apps/tumbleon.png
#   share/man/man6/tumbleon.6
#   share/metainfo/org.example.tumbleon.metainfo.xml
# An installed program cannot write its own folder, so the progress and the
# settings go to the player's XDG folders (app/player_files.h).
# `cpack -G DEB` in the build folder makes the Debian package from the same rules.
include(GNUInstallDirs)

set(desktop ${CMAKE_SOURCE_DIR}/data/desktop)
install(TARGETS tumbleon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${TUMBLEON_DATA_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/tumbleon)
install(FILES ${desktop}/tumbleon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${TUMBLEON_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${desktop}/tumbleon.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${desktop}/org.example.tumbleon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_PACKAGE_NAME tumbleon)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "The Tumbleon developers <tumbleon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D physics puzzle: roll the balls into their targets")
set(CPACK_PACKAGE_DESCRIPTION
    "Place blocks, corners, ramps, magnets, spikes and springs on a small 3D grid, give every ball\n"
    "its direction and start the run: balloons, iron balls, plastic balls and bombs roll under a\n"
    "fixed-step physics until enough of them reach a target cube. Sixty puzzles and a level\n"
    "editor. Texts in Hungarian or English.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tumbleon.example.org)
# What the program links (SDL2, libepoxy, stb, OpenAL, vorbisfile, the C++
# runtime) and what it opens at run time: Assimp for the meshes, libGL with
# Mesa's drivers for OpenGL 3.3. Debian 12's versions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libsdl2-2.0-0 (>= 2.26.0), libepoxy0 (>= 1.5.10), "
    "libstb0 (>= 0.0~git20220908), libopenal1 (>= 1:1.19.1), libvorbisfile3 (>= 1.3.7), libassimp5 (>= 5.2.5~), "
    "libgl1, libgl1-mesa-dri")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}")
# The level files' dialogs and the web page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)

# The staged layout checked, and the installed program started once. Only in
# the normal build: under the sanitizers Mesa's own allocations read as leaks.
# The whole package in a fresh Debian root is scripts/package_check.sh.
if(TUMBLEON_TESTS AND NOT TUMBLEON_SANITIZE)
  enable_testing()
  add_test(NAME installed_files COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install_check.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(installed_files PROPERTIES TIMEOUT 120)
endif()
