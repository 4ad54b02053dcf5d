# What `cmake --install` puts beside the programs, and the Debian package
# made of it (`cpack -G DEB`, see scripts/package). The programs install
# themselves in their own folders.
#
#   bin/                                   the window and the tools
#   share/cellwatch/ad.htm                 the local help page
#   share/applications, share/metainfo     desktop entry, AppStream metainfo
#   share/icons/hicolor/*/apps             the icon: SVG, 48, 128, 256 px
#   share/man/man1/*.1.gz                  a manual page for every program
#   share/doc/cellwatch/                   copyright, changelog
#   lib/udev/rules.d/                      access to the USB HID chargers
include(GNUInstallDirs)

set(CELLWATCH_APP_ID org.example.cellwatch)
set(CELLWATCH_PROGRAMS cellwatch cellwatch-dump cellwatch-emulator cellwatch-log cellwatch-report)
set(CELLWATCH_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/cellwatch)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(_res ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set(_gen ${CMAKE_CURRENT_BINARY_DIR}/package)

install(FILES ${_res}/${CELLWATCH_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_res}/${CELLWATCH_APP_ID}.metainfo.xml.in
               ${_gen}/${CELLWATCH_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_gen}/${CELLWATCH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${_res}/icons/cellwatch.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
    install(FILES ${_res}/icons/cellwatch-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME cellwatch.png)
endforeach()

install(FILES ${_res}/udev/70-cellwatch-chargers.rules DESTINATION lib/udev/rules.d)

# Manual pages and the changelog are installed compressed, without a time
# stamp in the gzip header, so that equal sources give equal packages.
find_program(CELLWATCH_GZIP gzip REQUIRED)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/docs/package/changelog.in ${_gen}/changelog @ONLY)
set(_compressed ${_gen}/changelog.gz)
add_custom_command(OUTPUT ${_gen}/changelog.gz
    COMMAND ${CELLWATCH_GZIP} -9nf -k ${_gen}/changelog
    DEPENDS ${_gen}/changelog VERBATIM)
foreach(program ${CELLWATCH_PROGRAMS})
    set(_page ${_gen}/man/${program}.1)  # with the version filled in
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${program}.1 ${_page} @ONLY)
    add_custom_command(OUTPUT ${_page}.gz
        COMMAND ${CELLWATCH_GZIP} -9n -c ${_page} > ${_page}.gz
        DEPENDS ${_page})
    list(APPEND _compressed ${_gen}/man/${program}.1.gz)
    install(FILES ${_gen}/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(cellwatch_package_docs ALL DEPENDS ${_compressed})
install(FILES ${_gen}/changelog.gz ${CMAKE_CURRENT_SOURCE_DIR}/docs/package/copyright
        DESTINATION ${CELLWATCH_DOC_DIR})

# The Debian package: cellwatch_VERSION_ARCH.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cellwatch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Cellwatch developers")
set(CPACK_PACKAGE_CONTACT "Cellwatch developers <dev@cellwatch.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for battery chargers on a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Cellwatch listens to hobby battery chargers on a serial line, USB or\n"
    "Bluetooth LE and shows, records and exports what they report: pack voltage,\n"
    "current, capacity, power, temperatures and the voltage of every cell.\n"
    "\n"
    "The package holds the window (cellwatch) and the command-line tools\n"
    "cellwatch-dump, cellwatch-emulator, cellwatch-log and cellwatch-report.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://cellwatch.example.org/)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Libraries come from the programs' own links; the window system's plug-ins
# are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
