# Installation, and the Debian package that scripts/package builds with CPack.
include(GNUInstallDirs)
set(ZFM_METAINFO ${PROJECT_SOURCE_DIR}/resources/${ZFM_DESKTOP_ID}.metainfo.xml)
set(ZFM_PACKAGE_FILES ${CMAKE_CURRENT_BINARY_DIR}/package-files)
set(CPACK_PACKAGE_CONTACT "Kestrel Devices <packages@kestrel-devices.example>")

# The newest release in the AppStream metadata is the version project() sets;
# its date is the release's date everywhere else.
file(STRINGS ${ZFM_METAINFO} newest_release REGEX "<release " LIMIT_COUNT 1)
if(NOT newest_release MATCHES "version=\"([^\"]+)\" date=\"([0-9]+-[0-9]+-[0-9]+)\"")
  message(FATAL_ERROR "${ZFM_METAINFO}: no <release version=\"...\" date=\"YYYY-MM-DD\">")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "${ZFM_METAINFO}: the newest release is ${CMAKE_MATCH_1} but project() says "
    "${PROJECT_VERSION}; add a <release> for ${PROJECT_VERSION} at the top of <releases>")
endif()
execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2} 12:00" OUTPUT_VARIABLE ZFM_RELEASE_TIME
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(resources/debian/changelog.in ${ZFM_PACKAGE_FILES}/changelog @ONLY)

# Debian keeps manual pages and changelogs compressed, without a time stamp
# (-n), so that the same sources give the same package.
set(ZFM_MANUAL_PAGES zephyrinefm.1 zfm-virtual-transmitter.1)
set(compressed ${ZFM_PACKAGE_FILES}/changelog.gz)
add_custom_command(OUTPUT ${ZFM_PACKAGE_FILES}/changelog.gz
  COMMAND gzip -9n -c ${ZFM_PACKAGE_FILES}/changelog > ${ZFM_PACKAGE_FILES}/changelog.gz
  DEPENDS ${ZFM_PACKAGE_FILES}/changelog VERBATIM)
foreach(page IN LISTS ZFM_MANUAL_PAGES)
  add_custom_command(OUTPUT ${ZFM_PACKAGE_FILES}/${page}.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/docs/man/${page} > ${ZFM_PACKAGE_FILES}/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page} VERBATIM)
  list(APPEND compressed ${ZFM_PACKAGE_FILES}/${page}.gz)
endforeach()
add_custom_target(package_files ALL DEPENDS ${compressed})

install(TARGETS zephyrinefm zfm-virtual-transmitter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/${ZFM_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/zephyrinefm.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ZFM_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
list(TRANSFORM ZFM_MANUAL_PAGES PREPEND ${ZFM_PACKAGE_FILES}/ OUTPUT_VARIABLE pages)
list(TRANSFORM pages APPEND .gz)
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/debian/copyright ${ZFM_PACKAGE_FILES}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zephyrinefm)

# zephyrinefm_<version>_amd64.deb. A native package: the version has no
# Debian revision, as the program and its package come from the same hands.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zephyrinefm)
set(CPACK_PACKAGE_VENDOR "Kestrel Devices")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for an FM transmitter with RDS encoder")
set(CPACK_PACKAGE_DESCRIPTION [[
ZephyrineFM+ controls the LumidraxFM V5 and LumidraxVesk low-power FM
transmitters with built-in RDS encoder over a serial line. A small radio
station uses it to set the transmitter (frequency, power, stereo, audio
processing, alarm thresholds) and the station's RDS data (PI, PTY, flags,
alternative frequency, PS and RadioText), to watch the transmitter's status
and alarms, to keep PS and RadioText current from the text files of a playout
program, to keep the encoder's clock right and to switch frequency and power
at set times.

The package also holds zfm-virtual-transmitter, a stand-in for the
transmitter on a pseudo-terminal, for training and for trying settings
without the device.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kestrel-devices.example/zephyrinefm")
# The libraries come from dpkg-shlibdeps; Qt's window-system plugins and the
# SQLite driver of the station log are loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/package)
include(CPack)
