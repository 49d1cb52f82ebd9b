# Install rules and the Debian package (tools/package-deb.sh runs CPack).
# `cmake --install` lays out bin/sorvik, bin/sorvik-lha and share/; an
# installed copy finds its help text in share/sorvik and keeps its data in the
# user's home (platform/Placement.h).
include(GNUInstallDirs)

set(SORVIK_APP_ID io.github.sorvik.Sorvik)
# The release date of this version; the changelog and AppStream carry it.
set(SORVIK_RELEASE_DATE 2026-12-09)
set(SORVIK_HOMEPAGE "https://github.com/sorvik/sorvik" CACHE STRING "The project's public home")
set(SORVIK_SCREENSHOT_URL "https://raw.githubusercontent.com/sorvik/sorvik/main/docs/screenshot.png"
  CACHE STRING "Public address of docs/screenshot.png, for AppStream")
set(SORVIK_MAINTAINER "The Sorvik developers <sorvik@users.noreply.github.com>"
  CACHE STRING "The Debian package's maintainer")

set(linux_dir ${CMAKE_SOURCE_DIR}/resources/linux)
set(gen_dir ${CMAKE_BINARY_DIR}/install-files)

install(TARGETS sorvik sorvik-lha RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/runtime/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sorvik)
install(FILES ${linux_dir}/${SORVIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_dir}/icons/${SORVIK_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${linux_dir}/icons/hicolor/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
  FILES_MATCHING PATTERN "*.png")

configure_file(${linux_dir}/${SORVIK_APP_ID}.metainfo.xml.in ${gen_dir}/${SORVIK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${gen_dir}/${SORVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian wants the manual pages and the changelog compressed without a time
# stamp, so the package is the same whenever it is built.
execute_process(COMMAND date -u -d "${SORVIK_RELEASE_DATE}" "+%a, %d %b %Y %H:%M:%S +0000"
  OUTPUT_VARIABLE SORVIK_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
# The package is native (no separate upstream), so its changelog is changelog.gz.
configure_file(${linux_dir}/debian/changelog.in ${gen_dir}/changelog @ONLY)
set(gz_files)
configure_file(${linux_dir}/man/sorvik.1.in ${gen_dir}/sorvik.1 @ONLY)
configure_file(${linux_dir}/man/sorvik-lha.1.in ${gen_dir}/sorvik-lha.1 @ONLY)
foreach(src ${gen_dir}/sorvik.1 ${gen_dir}/sorvik-lha.1 ${gen_dir}/changelog)
  get_filename_component(name ${src} NAME)
  add_custom_command(OUTPUT ${gen_dir}/${name}.gz
    COMMAND gzip -9nc ${src} > ${gen_dir}/${name}.gz
    DEPENDS ${src} VERBATIM)
  list(APPEND gz_files ${gen_dir}/${name}.gz)
endforeach()
add_custom_target(sorvik_install_files ALL DEPENDS ${gz_files})
install(FILES ${gen_dir}/sorvik.1.gz ${gen_dir}/sorvik-lha.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${gen_dir}/changelog.gz ${linux_dir}/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvik)
install(FILES ${linux_dir}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME sorvik)

# The Debian package. Its library dependencies come from the binaries
# (dpkg-shlibdeps); what the program loads by name is added by hand: the IPA
# fonts its windows are drawn with and Qt's Japanese translation. The icon
# cache and the menu are refreshed by the triggers of the packages that own
# them, so the package needs no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Sorvik developers")
set(CPACK_PACKAGE_CONTACT ${SORVIK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven file manager with a description for every file")
set(CPACK_PACKAGE_DESCRIPTION "Sorvik shows drive buttons, a directory tree and a file table in one\n\
window, and every file in the table can carry a one-line description,\n\
kept in plain text files. Files are copied, moved, deleted, renamed,\n\
packed into LHA archives and unpacked from the keyboard; sorvik-lha runs\n\
the same archiver from the command line.\n\
.\n\
Each user's settings and descriptions are kept in\n\
~/.local/share/sorvik/SYSDAT/.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SORVIK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Stripped of symbols and of the notes Debian's own tools remove too.
set(CPACK_STRIP_FILES OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/StripPackage.cmake)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
