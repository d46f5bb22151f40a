# Installation into the usual places, and the Debian package.
include(GNUInstallDirs)
install(TARGETS velmora velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The printing helper of velmora-cli pdf; velmora-cli finds it there.
install(TARGETS velmora-print RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/velmora)
install(FILES data/velmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/velmora-xdx.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES data/velmora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/application-x-velmora-xdx.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmora课题申报系统（个人版）: prepares, checks, saves and prints a research-project application")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# Libraries as dpkg-shlibdeps finds them in the binaries, plus what is loaded
# at run time: the faces the window and the form are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libxlsxwriter4: velmora-cli opens it at run time (roster), out of
# dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, fonts-liberation, libxlsxwriter4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-urw-base35")
include(CPack)
