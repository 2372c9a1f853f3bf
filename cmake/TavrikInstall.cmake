# What `cmake --install` puts on a system and what `cpack -G DEB` packs: the programs,
# the desktop entry (D-Bus activatable), the icon in SVG and PNG sizes, the MIME types
# of charts, chart information files and NMEA test files, and the D-Bus service file
# that starts `tavrik --automation` for an automation client.
include(GNUInstallDirs)

set(tavrik_programs tavrik tavrik-nmea tavrik-chart tavrik-grid tavrik-datum tavrik-nav tavrik-gps tavrik-db tavrik-ship)
foreach(program ${tavrik_programs})
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(desktop_dir ${PROJECT_SOURCE_DIR}/data/desktop)
set(TAVRIK_INSTALLED_BINARY ${CMAKE_INSTALL_FULL_BINDIR}/tavrik)
configure_file(${desktop_dir}/org.tavrik.Tavrik.service.in ${PROJECT_BINARY_DIR}/data/org.tavrik.Tavrik.service @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/org.tavrik.Tavrik.service DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)
install(FILES ${desktop_dir}/org.tavrik.Tavrik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_dir}/tavrik-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME org.tavrik.Tavrik.xml)
install(FILES ${PROJECT_SOURCE_DIR}/src/automation/org.tavrik.chart.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/interfaces)
install(FILES ${desktop_dir}/icons/org.tavrik.Tavrik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${desktop_dir}/icons/org.tavrik.Tavrik-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME org.tavrik.Tavrik.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/docs/AUTOMATION.md ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/docs/examples/feed_nmea.py ${PROJECT_SOURCE_DIR}/docs/examples/goto_waypoint.sh
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# cpack -G DEB: a package for Debian 12 (bookworm).
set(CPACK_PACKAGE_NAME tavrik)
set(CPACK_PACKAGE_VENDOR "Tavrik")
set(CPACK_PACKAGE_CONTACT "Tavrik developers <tavrik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Navigation for small vessels: NMEA input, raster charts, go-to, autopilot")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The service file names the binary by its full path: configure with
# -DCMAKE_INSTALL_PREFIX=/usr for the package.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins and SQLite driver are loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, dbus-user-session | dbus-x11, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gdal-bin, gpsd-clients")
set(CPACK_GENERATOR DEB)
include(CPack)
