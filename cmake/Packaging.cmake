# Installing, and the Debian package: the program and the files it reads from its own folder stay
# together in one program folder, with the command in bin pointing at it.
set(VARNOCK_PROGRAM_FOLDER lib/varnock)

install(TARGETS varnock uiview32-standin RUNTIME DESTINATION ${VARNOCK_PROGRAM_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/data/readme.1st ${PROJECT_SOURCE_DIR}/data/symbols.wiz
    DESTINATION ${VARNOCK_PROGRAM_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/data/maps/sample.png ${PROJECT_SOURCE_DIR}/data/maps/sample.inf
    DESTINATION ${VARNOCK_PROGRAM_FOLDER}/maps)

# The program finds its folder through the link, since it asks the system where it runs from.
set(links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${links})
foreach(program varnock uiview32-standin)
    file(CREATE_LINK ../${VARNOCK_PROGRAM_FOLDER}/${program} ${links}/${program} SYMBOLIC)
    install(FILES ${links}/${program} DESTINATION bin)
endforeach()

set(desktop ${PROJECT_SOURCE_DIR}/data/desktop)
install(FILES ${desktop}/org.varnock.varnock.desktop DESTINATION share/applications)
install(FILES ${desktop}/org.varnock.varnock.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop}/varnock.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${desktop}/icons/${size}x${size}/varnock.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# Varnock is under the GPL, version 3 or later; the package says so where Debian looks.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION share/doc/varnock)

find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/varnock.1.gz
    COMMAND ${GZIP} -9nc ${desktop}/varnock.1 > ${CMAKE_BINARY_DIR}/varnock.1.gz
    DEPENDS ${desktop}/varnock.1 COMMENT "Compressing the manual page")
add_custom_target(varnock_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/varnock.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/varnock.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnock)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "APRS-IS filter workbench for UI-View32")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Varnock developers <varnock@varnock.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://varnock.org/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Help opens the desktop's viewer; the stand-in needs a session bus.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, dbus")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Varnock builds the server-side filter of an APRS-IS connection (the line\n"
    "filter b/G* r/51.5/-1/100 ...), with a page for each of the fourteen filter\n"
    "kinds, checks it the way the servers read it, explains it in plain words, shows\n"
    "live what a server sends for it and which fragment brought each packet, and sends\n"
    "it to the server through UI-View32.")
# Debugging information stays in the build; the package carries the programs only.
set(CPACK_STRIP_FILES ON)
include(CPack)
