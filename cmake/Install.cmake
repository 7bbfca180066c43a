# What `cmake --install` puts on a Linux desktop: the program and its plugins, the sample courier
# list, the desktop entry with its icons and AppStream data, and the system-wide
# profile value INSTALLPATH that tells the program where the courier list lies.
# Images are compiled into the program, so no other data is needed.
include(GNUInstallDirs)

set(PARCELO_APP_ID "com.veldan.Parcelo")
set(PARCELO_SCREENSHOT_URL "" CACHE STRING
    "Public https address of the main-window screenshot for the AppStream data (none when empty)")

if(TARGET parcelo)
    install(TARGETS parcelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The tracking page's program, beside the program, and the status services, which the
# program loads from ../lib/parcelo/plugins beside its own folder.
if(TARGET parcelo-page)
    install(TARGETS parcelo-page RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(TARGETS parcelo_status_plugin LIBRARY DESTINATION ${PARCELO_PLUGIN_INSTALL_DIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/res/parcelo.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/parcelo)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/parcelo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size IN ITEMS 16 32 48 64 128)
    install(FILES ${PROJECT_SOURCE_DIR}/res/images/app-icon-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME parcelo.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/res/images/app-icon.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME parcelo.svg)

# AppStream refuses a relative screenshot address, so the screenshot is listed
# only once the project has a public address for it.
if(PARCELO_SCREENSHOT_URL)
    set(PARCELO_SCREENSHOTS
"  <screenshots>
    <screenshot type=\"default\">
      <caption>The shipment list</caption>
      <image>${PARCELO_SCREENSHOT_URL}</image>
    </screenshot>
  </screenshots>
")
else()
    set(PARCELO_SCREENSHOTS "")
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/${PARCELO_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/${PARCELO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${PARCELO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The system-wide profile is written at install time, so that it names the
# prefix actually installed to (`cmake --install --prefix`, /usr in the package).
install(CODE "
    set(PARCELO_DATADIR [[${CMAKE_INSTALL_DATADIR}]])
    set(PARCELO_SYSCONFDIR [[${CMAKE_INSTALL_SYSCONFDIR}]])
    set(PARCELO_PROFILE_TEMPLATE [[${PROJECT_SOURCE_DIR}/packaging/Parcelo.conf.in]])
    set(PARCELO_PROFILE_STAGING [[${PROJECT_BINARY_DIR}/packaging/install/Parcelo.conf]])
")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/WriteSystemProfile.cmake)

include(${PROJECT_SOURCE_DIR}/cmake/Package.cmake)
