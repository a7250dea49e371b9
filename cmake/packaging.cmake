# What "cmake --install" puts where, and the Debian package CPack makes of it
# (scripts/package.sh): the program in bin, its help pages and the demo data
# root in share/zhurnal, the desktop entry with its icon, the manual page.
include(GNUInstallDirs)

install(TARGETS zhurnal RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS packaging/zhurnal-desktop DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/zhurnal)
install(DIRECTORY help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zhurnal/help)
install(DIRECTORY examples/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zhurnal/demo)
install(FILES packaging/zhurnal.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/zhurnal.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/zhurnal.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zhurnal)

# The manual page and the package's change log, compressed as Debian keeps them.
set(man "${CMAKE_CURRENT_BINARY_DIR}/packaging/zhurnal.1")
add_custom_command(OUTPUT "${man}.gz"
  COMMAND ${CMAKE_COMMAND} -DZHURNAL=$<TARGET_FILE:zhurnal> -DOUTPUT=${man} -DVERSION=${PROJECT_VERSION}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/manpage.cmake
  COMMAND gzip -9nf "${man}"
  DEPENDS zhurnal ${CMAKE_CURRENT_SOURCE_DIR}/cmake/manpage.cmake
  COMMENT "Manual page zhurnal.1")
set(changelog "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian")
add_custom_command(OUTPUT "${changelog}.gz"
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog "${changelog}"
  COMMAND gzip -9nf "${changelog}"
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog)
add_custom_target(zhurnal_package_files ALL DEPENDS "${man}.gz" "${changelog}.gz")
install(FILES "${man}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${changelog}.gz" DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zhurnal)
set(CPACK_PACKAGE_VENDOR "zhurnal")
set(CPACK_PACKAGE_CONTACT "zhurnal developers <avtor@zhurnal.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gradebook for school and college teachers")
# The summary is the first line of the package description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"A desktop gradebook with one journal per group and subject: students in
rows, lessons in columns, each lesson with a date, a theme code and a
weight. It computes each student's weighted sum, percentage, 10-point and
5-point grade, absences and rank, the group's grade distribution, and
prints its reports as word-processor documents or PDF. The interface is
in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zhurnal.example.org/")
# The libraries the program links come from dpkg-shlibdeps; Qt's platform
# plugins are loaded at run time, so no linked library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
