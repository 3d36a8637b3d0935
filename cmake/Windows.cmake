# The Windows build. The DLLs and plugins Varnock needs at run time are copied beside the programs
# in the build folder, so that Varnock and the tests run from there as they do installed; a
# cross-built program's tests run under Wine.

if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine/run)
endif()

# Qt's libraries are linked against the compiler's own runtime, so it goes with them.
set(VARNOCK_WINDOWS_RUNTIME)
foreach(library libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
        OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}")
        # libwinpthread lies with the target's libraries, where the compiler does not look by name.
        find_file(found_${library} ${library} PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH)
        set(found ${found_${library}})
    endif()
    if(NOT EXISTS "${found}")
        message(FATAL_ERROR "The mingw-w64 runtime ${library} was not found")
    endif()
    list(APPEND VARNOCK_WINDOWS_RUNTIME ${found})
endforeach()

function(varnock_qt_file out target)
    get_target_property(location ${target} IMPORTED_LOCATION_RELEASE)
    if(NOT location)
        get_target_property(location ${target} IMPORTED_LOCATION)
    endif()
    set(${out} ${location} PARENT_SCOPE)
endfunction()

set(VARNOCK_QT_LIBRARIES)
foreach(module Core Gui Widgets Network)
    varnock_qt_file(library Qt6::${module})
    list(APPEND VARNOCK_QT_LIBRARIES ${library})
endforeach()
varnock_qt_file(VARNOCK_QT_TEST_LIBRARY Qt6::Test)
varnock_qt_file(VARNOCK_QT_WINDOWS_PLATFORM Qt6::QWindowsIntegrationPlugin)
varnock_qt_file(VARNOCK_QT_OFFSCREEN_PLATFORM Qt6::QOffscreenIntegrationPlugin)
# Without it, the window looks like Windows 95.
varnock_qt_file(VARNOCK_QT_VISTA_STYLE Qt6::QWindowsVistaStylePlugin)

set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
file(COPY ${VARNOCK_WINDOWS_RUNTIME} ${VARNOCK_QT_LIBRARIES} ${VARNOCK_QT_TEST_LIBRARY} DESTINATION ${bin})
# The tests run headless, on the offscreen platform, as on Linux.
file(COPY ${VARNOCK_QT_WINDOWS_PLATFORM} ${VARNOCK_QT_OFFSCREEN_PLATFORM} DESTINATION ${bin}/platforms)
file(COPY ${VARNOCK_QT_VISTA_STYLE} DESTINATION ${bin}/styles)
