# `cmake --install` lays out Vorlune for a desktop menu:
#   <prefix>/${VORLUNE_INSTALL_DIR}/        the program folder: executable, config.ini,
#                                           Config/list.ini, Sounds/Common/ (list.ini and the
#                                           sounds) and help/. It keeps the user's settings and
#                                           slots, so it must be writable: install into a
#                                           per-user prefix (--prefix ~/.local) or a folder of
#                                           one's own.
#   <prefix>/share/applications/vorlune.desktop
#   <prefix>/share/icons/hicolor/<size>/apps/vorlune.{svg,png}
# The shipped files come from the source tree, never from build/dist, where a user's own
# settings may sit. scripts/package makes a folder and a tarball from this.
set(VORLUNE_INSTALL_DIR "lib/vorlune" CACHE STRING
  "Program folder below the install prefix")

set(VORLUNE_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)

install(TARGETS vorlune RUNTIME DESTINATION ${VORLUNE_INSTALL_DIR})
install(FILES ${VORLUNE_RESOURCES}/config/config.ini DESTINATION ${VORLUNE_INSTALL_DIR})
install(FILES ${VORLUNE_RESOURCES}/config/list.ini DESTINATION ${VORLUNE_INSTALL_DIR}/Config)
install(FILES ${VORLUNE_RESOURCES}/config/list.ini DESTINATION ${VORLUNE_INSTALL_DIR}/Sounds/Common)
file(GLOB VORLUNE_INSTALL_SOUNDS CONFIGURE_DEPENDS
  ${VORLUNE_RESOURCES}/sounds/*.wav ${VORLUNE_RESOURCES}/sounds/*.mp3)
install(FILES ${VORLUNE_INSTALL_SOUNDS} DESTINATION ${VORLUNE_INSTALL_DIR}/Sounds/Common)
install(DIRECTORY ${VORLUNE_RESOURCES}/help/ DESTINATION ${VORLUNE_INSTALL_DIR}/help
  FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.png" PATTERN "*.svg")

# The icon in the hicolor theme: the SVG as the scalable one, and PNGs rendered from it at the
# sizes menus and panels ask for first.
set(VORLUNE_ICON_SVG ${VORLUNE_RESOURCES}/icons/app.svg)
install(FILES ${VORLUNE_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps
  RENAME vorlune.svg)
add_executable(vorlune_render_icon ${CMAKE_CURRENT_SOURCE_DIR}/packaging/RenderIcon.cpp)
target_link_libraries(vorlune_render_icon PRIVATE Qt6::Gui Qt6::Svg)
set_target_properties(vorlune_render_icon PROPERTIES AUTOMOC OFF)
set(VORLUNE_ICON_PNGS)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/vorlune.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
    COMMAND vorlune_render_icon ${VORLUNE_ICON_SVG} ${png} ${size}
    DEPENDS vorlune_render_icon ${VORLUNE_ICON_SVG}
    VERBATIM)
  list(APPEND VORLUNE_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vorlune_icon_pngs ALL DEPENDS ${VORLUNE_ICON_PNGS})

# The menu entry names the installed executable by its absolute path, which is known only when
# installing (the prefix can be given then), so it is written at that time. DESTDIR is a staging
# root and is not part of the path.
string(CONFIGURE [[
  set(VORLUNE_PROGRAM_FOLDER "${CMAKE_INSTALL_PREFIX}/@VORLUNE_INSTALL_DIR@")
  set(VORLUNE_EXECUTABLE "${VORLUNE_PROGRAM_FOLDER}/vorlune")
  set(desktop_file "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/vorlune.desktop")
  message(STATUS "Installing: ${desktop_file}")
  configure_file("@CMAKE_CURRENT_SOURCE_DIR@/packaging/vorlune.desktop.in" "${desktop_file}" @ONLY)
]] VORLUNE_INSTALL_DESKTOP_CODE @ONLY)
install(CODE "${VORLUNE_INSTALL_DESKTOP_CODE}")
