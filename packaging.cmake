# Installation into the usual places, and the Debian package.
include(GNUInstallDirs)

# The application id names the desktop entry, the metainfo and the icon; the
# window announces the same name (setDesktopFileName in app/main.cpp).
set(VELMORA_APP_ID io.github.velmora.Velmora)
set(VELMORA_MAINTAINER "Velmora developers <velmora@users.noreply.github.com>")
set(VELMORA_HOMEPAGE "https://github.com/velmora/velmora")
set(velmora_doc ${CMAKE_INSTALL_DATADIR}/doc/velmora)
set(velmora_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

find_program(VELMORA_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(VELMORA_SCDOC scdoc REQUIRED)
find_program(VELMORA_GZIP gzip REQUIRED)

# The date of the latest release in CHANGELOG.md dates the manual pages, so
# the same sources give the same package.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md velmora_release REGEX "^## " LIMIT_COUNT 1)
string(REGEX MATCH "^## ([^ ]+) \\(([0-9-]+)\\)$" velmora_release "${velmora_release}")
set(VELMORA_RELEASE_VERSION "${CMAKE_MATCH_1}")
set(VELMORA_RELEASE_DATE "${CMAKE_MATCH_2}")
if(NOT VELMORA_RELEASE_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's latest release is '${VELMORA_RELEASE_VERSION}', the project's version ${PROJECT_VERSION}")
endif()
execute_process(COMMAND date -u -d "${VELMORA_RELEASE_DATE} 12:00" +%s
  OUTPUT_VARIABLE velmora_release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(velmora_generated)

# PNG icons beside the SVG ones, for the application and its documents.
foreach(size 16 32 48 64 128 256)
  foreach(icon "apps/${VELMORA_APP_ID}" "mimetypes/application-x-velmora-xdx")
    get_filename_component(name ${icon} NAME)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${icon}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}/apps
              ${PROJECT_BINARY_DIR}/icons/${size}x${size}/mimetypes
      COMMAND ${VELMORA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/data/${name}.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/data/${name}.svg VERBATIM)
    list(APPEND velmora_generated ${png})
  endforeach()
endforeach()

# Manual pages from their scdoc sources, compressed as Debian wants them.
foreach(page velmora.1 velmora-cli.1)
  set(out ${PROJECT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${velmora_release_epoch}
            sh -c "${VELMORA_SCDOC} < \"$0\" | ${VELMORA_GZIP} -9n > \"$1\"" ${PROJECT_SOURCE_DIR}/man/${page}.scd ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.scd VERBATIM)
  list(APPEND velmora_generated ${out})
endforeach()

# The Debian changelog from CHANGELOG.md.
set(velmora_changelog ${PROJECT_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${velmora_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
  COMMAND sh -c "\"$0\" \"$1\" velmora \"$2\" | ${VELMORA_GZIP} -9n > \"$3\""
          ${PROJECT_SOURCE_DIR}/scripts/debian-changelog.sh ${PROJECT_SOURCE_DIR}/CHANGELOG.md
          ${VELMORA_MAINTAINER} ${velmora_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/scripts/debian-changelog.sh VERBATIM)
list(APPEND velmora_generated ${velmora_changelog})
add_custom_target(velmora_package_files ALL DEPENDS ${velmora_generated})

# The machine-readable copyright file, with LICENSE as its licence text.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE velmora_license)
string(REGEX REPLACE "^MIT License\n\n" "" velmora_license "${velmora_license}")
string(REGEX REPLACE "\n+$" "" velmora_license "${velmora_license}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" velmora_holder "${velmora_license}")
set(velmora_holder "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" velmora_license "${velmora_license}")
string(REPLACE "\n" "\n " velmora_license "${velmora_license}")
file(WRITE ${PROJECT_BINARY_DIR}/doc/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: velmora
Upstream-Contact: ${VELMORA_MAINTAINER}
Source: ${VELMORA_HOMEPAGE}

Files: *
Copyright: ${velmora_holder}
License: Expat

License: Expat
 ${velmora_license}
")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

install(TARGETS velmora velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${VELMORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${VELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The printing helper of velmora-cli pdf; velmora-cli finds it there.
install(TARGETS velmora-print RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/velmora)
install(FILES data/velmora-xdx.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES data/${VELMORA_APP_ID}.svg DESTINATION ${velmora_icons}/scalable/apps)
install(FILES data/application-x-velmora-xdx.svg DESTINATION ${velmora_icons}/scalable/mimetypes)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/ DESTINATION ${velmora_icons})
install(FILES ${PROJECT_BINARY_DIR}/man/velmora.1.gz ${PROJECT_BINARY_DIR}/man/velmora-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# bash-completion loads a command's completion by the command's name; one
# script serves both.
install(FILES completion/velmora-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES completion/velmora-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME velmora)
# The user guide that the help button opens when there is no help.doc, with
# the pictures it shows.
install(FILES docs/help.html docs/window.png docs/report-cover.png docs/report-data.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
# After a user's own prefix (~/.local), desktops find the document type and
# the program only once their caches know them; under /usr dpkg's triggers
# see to it, and a packager's DESTDIR is no place to run them.
install(CODE [[
  if(NOT DEFINED ENV{DESTDIR} AND DEFINED ENV{HOME} AND CMAKE_INSTALL_PREFIX MATCHES "^$ENV{HOME}/")
    find_program(update_mime update-mime-database)
    find_program(update_desktop update-desktop-database)
    if(update_mime)
      execute_process(COMMAND ${update_mime} ${CMAKE_INSTALL_PREFIX}/share/mime)
    endif()
    if(update_desktop)
      execute_process(COMMAND ${update_desktop} ${CMAKE_INSTALL_PREFIX}/share/applications)
    endif()
  endif()
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VELMORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare, check and print research-project applications")
set(CPACK_PACKAGE_DESCRIPTION [=[
Velmora课题申报系统（个人版） is the desktop program with which one applicant
prepares the application for a research project in education science:
eleven pages of fields, tables and long texts, a completeness check whose
lines lead to the page concerned, XDX documents (GBK-encoded XML) saved and
opened again, and the printed application form, previewed, printed or
written to PDF. Unsaved edits are kept as recovery copies.

velmora-cli checks, converts and prints the documents an office receives,
from scripts and without a display.]=])
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMORA_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Stripped as Debian strips: without the compilers' .comment notes either.
find_program(VELMORA_OBJCOPY NAMES ${CMAKE_OBJCOPY} objcopy REQUIRED)
file(WRITE ${PROJECT_BINARY_DIR}/strip-comments.cmake
"file(GLOB programs \"\${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/*\"
                    \"\${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/velmora/*\")
if(NOT programs)
  message(FATAL_ERROR \"no programs in \${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
endif()
foreach(program \${programs})
  execute_process(COMMAND ${VELMORA_OBJCOPY} --remove-section=.comment \${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
")
# What only the Debian package carries, not an installation from source
# that a distribution packages its own way: the copyright file, the Debian
# changelog and the lintian overrides.
# (file(INSTALL) would put DESTDIR, which cpack sets, in front of the path.)
file(WRITE ${PROJECT_BINARY_DIR}/debian-files.cmake
"set(destdir \"\$ENV{DESTDIR}\")
unset(ENV{DESTDIR})
set(root \"\${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}\")
set(dirs DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(files FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(INSTALL ${PROJECT_BINARY_DIR}/doc/copyright ${velmora_changelog}
  DESTINATION \"\${root}/${velmora_doc}\" \${dirs} \${files})
file(INSTALL ${PROJECT_SOURCE_DIR}/data/velmora.lintian-overrides
  DESTINATION \"\${root}/${CMAKE_INSTALL_DATADIR}/lintian/overrides\" RENAME velmora \${dirs} \${files})
set(ENV{DESTDIR} \"\${destdir}\")
")
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/strip-comments.cmake ${PROJECT_BINARY_DIR}/debian-files.cmake)
# Two builds of one commit give the same package: every date in it is the
# latest release's in CHANGELOG.md (as the manual pages' are).
file(WRITE ${PROJECT_BINARY_DIR}/cpack-reproducible.cmake
"if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${velmora_release_epoch})
endif()
")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack-reproducible.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Folders as Debian wants them whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Libraries as dpkg-shlibdeps finds them in the binaries, plus what is loaded
# at run time: the faces the window and the form are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libxlsxwriter: velmora-cli opens it at run time (roster), out of
# dpkg-shlibdeps' sight; the package is the one holding the soname it opens
# (as Debian names such packages, when dpkg cannot tell).
get_filename_component(soname ${VELMORA_XLSXWRITER_RUNTIME} NAME)
execute_process(COMMAND dpkg-query -S ${VELMORA_XLSXWRITER_RUNTIME} OUTPUT_VARIABLE owner ERROR_QUIET)
if(owner MATCHES "^([a-z0-9.+-]+)[:,]")
  set(velmora_xlsxwriter_package ${CMAKE_MATCH_1})
else()
  string(REGEX MATCH "^(.*)\\.so\\.([0-9.]+)$" _ ${soname})
  if(CMAKE_MATCH_1 MATCHES "[0-9]$")
    set(velmora_xlsxwriter_package ${CMAKE_MATCH_1}-${CMAKE_MATCH_2})
  else()
    set(velmora_xlsxwriter_package ${CMAKE_MATCH_1}${CMAKE_MATCH_2})
  endif()
endif()
# The faces: the form's "仿宋_GB2312" prints in AR PL UKai.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, fonts-liberation, fonts-arphic-ukai, ${velmora_xlsxwriter_package}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-urw-base35")
include(CPack)
