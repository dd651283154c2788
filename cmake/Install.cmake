# `cmake --install` lays out Vorlune for a desktop menu:
#   <prefix>/${VORLUNE_INSTALL_DIR}/        the program folder: executable, config.ini,
#                                           Config/list.ini, Sounds/Common/ (list.ini and the
#                                           sounds) and help/. Where the user can write it, the
#                                           program keeps the user's settings and slots there
#                                           (portable); where not, in the user's data folder,
#                                           started from its config.ini and live list.
#   <prefix>/bin/vorlune                     a link to vorlune-remote, the small `vorlune` command
#                                           beside the executable, which starts the program
#                                           when given no arguments
#   <prefix>/share/applications/io.github.vorlune.Vorlune.desktop
#   <prefix>/share/icons/hicolor/<size>/apps/io.github.vorlune.Vorlune.{svg,png}
#   <prefix>/share/metainfo/io.github.vorlune.Vorlune.metainfo.xml
#   <prefix>/share/man/man1/vorlune.1.gz, <prefix>/share/doc/vorlune/{copyright,changelog.gz}
#   <prefix>/share/lintian/overrides/vorlune  what lintian need not report, and why
# The shipped files come from the source tree, never from build/dist, where a user's own
# settings may sit. scripts/package makes a folder, a tarball and a Debian package from this.
set(VORLUNE_INSTALL_DIR "lib/vorlune" CACHE STRING
  "Program folder below the install prefix")

set(VORLUNE_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set(VORLUNE_PACKAGING ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(VORLUNE_APP_ID io.github.vorlune.Vorlune)

install(TARGETS vorlune vorlune-remote RUNTIME DESTINATION ${VORLUNE_INSTALL_DIR})
# A stripped install also drops the compiler's notes, as Debian's own packages do.
string(CONFIGURE [[
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(executable vorlune vorlune-remote)
      execute_process(COMMAND "@CMAKE_STRIP@" --remove-section=.comment --remove-section=.note
        "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@VORLUNE_INSTALL_DIR@/${executable}")
    endforeach()
  endif()
]] VORLUNE_INSTALL_STRIP_CODE @ONLY)
install(CODE "${VORLUNE_INSTALL_STRIP_CODE}")
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
  RENAME ${VORLUNE_APP_ID}.svg)
add_executable(vorlune_render_icon ${CMAKE_CURRENT_SOURCE_DIR}/packaging/RenderIcon.cpp)
target_link_libraries(vorlune_render_icon PRIVATE Qt6::Gui Qt6::Svg)
set_target_properties(vorlune_render_icon PROPERTIES AUTOMOC OFF)
set(VORLUNE_ICON_PNGS)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${VORLUNE_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
    COMMAND vorlune_render_icon ${VORLUNE_ICON_SVG} ${png} ${size}
    DEPENDS vorlune_render_icon ${VORLUNE_ICON_SVG}
    VERBATIM)
  list(APPEND VORLUNE_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vorlune_icon_pngs ALL DEPENDS ${VORLUNE_ICON_PNGS})

install(FILES ${VORLUNE_PACKAGING}/${VORLUNE_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# The manual page and the Debian changelog, compressed as Debian keeps them (no time stamp in the
# gzip header, so the same text gives the same bytes), and the copyright file.
set(VORLUNE_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/packaging/vorlune.1.gz)
set(VORLUNE_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${VORLUNE_MAN_PAGE} ${VORLUNE_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
  COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${VORLUNE_PACKAGING}/vorlune.1 ${VORLUNE_MAN_PAGE}
  COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${VORLUNE_PACKAGING}/deb/changelog
          ${VORLUNE_CHANGELOG}
  DEPENDS ${VORLUNE_PACKAGING}/vorlune.1 ${VORLUNE_PACKAGING}/deb/changelog
  VERBATIM)
add_custom_target(vorlune_packaging_docs ALL DEPENDS ${VORLUNE_MAN_PAGE} ${VORLUNE_CHANGELOG})
install(FILES ${VORLUNE_MAN_PAGE} DESTINATION share/man/man1)
install(FILES ${VORLUNE_CHANGELOG} ${VORLUNE_PACKAGING}/deb/copyright DESTINATION share/doc/vorlune)
install(FILES ${VORLUNE_PACKAGING}/deb/lintian-overrides DESTINATION share/lintian/overrides
  RENAME vorlune)

# The menu entry names the installed executable by its absolute path, which is known only when
# installing (the prefix can be given then), so it is written at that time. DESTDIR is a staging
# root and is not part of the path.
# The link in bin/ is relative, so the installed tree can be moved as a whole. It names the
# small command, which loads no GUI library for `vorlune play 3` and becomes the program when
# started without arguments.
string(CONFIGURE [[
  set(VORLUNE_PROGRAM_FOLDER "${CMAKE_INSTALL_PREFIX}/@VORLUNE_INSTALL_DIR@")
  set(VORLUNE_EXECUTABLE "${VORLUNE_PROGRAM_FOLDER}/vorlune")
  set(desktop_file "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/@VORLUNE_APP_ID@.desktop")
  message(STATUS "Installing: ${desktop_file}")
  configure_file("@VORLUNE_PACKAGING@/@VORLUNE_APP_ID@.desktop.in" "${desktop_file}" @ONLY)
  set(link "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/vorlune")
  message(STATUS "Installing: ${link}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(CREATE_LINK "../@VORLUNE_INSTALL_DIR@/vorlune-remote" "${link}" SYMBOLIC)
]] VORLUNE_INSTALL_DESKTOP_CODE @ONLY)
install(CODE "${VORLUNE_INSTALL_DESKTOP_CODE}")
