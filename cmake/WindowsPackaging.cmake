# The installed program on Windows: one folder holding Varnock.exe, varnock.com for the console,
# what they need at run time, the files Varnock reads from its own folder, and the licences. The zip
# and the installer (packaging/windows) take this folder as it is.

install(TARGETS varnock varnock_console RUNTIME DESTINATION .)
install(FILES ${VARNOCK_QT_LIBRARIES} ${VARNOCK_WINDOWS_RUNTIME} DESTINATION .)
# The command-line forms run on the offscreen platform: they need no window.
install(FILES ${VARNOCK_QT_WINDOWS_PLATFORM} ${VARNOCK_QT_OFFSCREEN_PLATFORM} DESTINATION platforms)
install(FILES ${VARNOCK_QT_VISTA_STYLE} DESTINATION styles)
install(FILES ${PROJECT_SOURCE_DIR}/data/readme.1st ${PROJECT_SOURCE_DIR}/data/symbols.wiz DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/data/maps/sample.png ${PROJECT_SOURCE_DIR}/data/maps/sample.inf
    DESTINATION maps)

# Varnock is under the GPL; Qt, whose libraries come with it, under the LGPL 3, and the notice says
# where its source is.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/NOTICE.txt DESTINATION .)
get_filename_component(qt_root "${VARNOCK_QT_WINDOWS_PLATFORM}/../../.." ABSOLUTE)
install(DIRECTORY ${qt_root}/LICENSES/ DESTINATION licenses/Qt)
