# The Debian package, made by CPack's DEB generator from the install rules of Install.cmake and
# the build that is already there: `cpack -G DEB` in the build folder (scripts/package runs it).
# The program folder goes to /usr/lib/vorlune and the rest below /usr. dpkg-shlibdeps computes
# the dependencies from the libraries the executable links; the Qt platform and SVG plugins are
# in those libraries' packages, and the program links the PulseAudio client library itself.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlune)
set(CPACK_PACKAGE_VENDOR "The Vorlune developers")
set(CPACK_PACKAGE_CONTACT "The Vorlune developers <vorlune@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sound-effect board for live streams")
set(CPACK_PACKAGE_DESCRIPTION [=[
Vorlune keeps up to 209 sounds on five category pages. A click on a slot, or
the slot's global hotkey pressed while the streaming software or a game has
the focus, ends the sound that plays and plays the slot on the output device
you picked, so that it goes into the stream.

It offers master volume, pause and resume with a short fade, stop, repeat, a
master switch for the hotkeys, a live bar spectrum and a notification-area
icon. WAV, MP3, FLAC, Ogg and Opus files play; a shipped set of sounds comes
with it. Each user's settings and slots live in ~/.local/share/vorlune.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The install rules see the real prefix (/usr) and the staging folder as DESTDIR, so the desktop
# entry names /usr/lib/vorlune/vorlune.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/vorlune/vorlune)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The captions are Chinese: without a CJK font they show as boxes. Qt loads its Wayland plugin
# at run time, so on a Wayland desktop without qt6-wayland the program runs through XWayland
# (and cannot take hotkeys). Neither is a library the executable links, so nothing computes
# them; recommended, not required.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Installing builds nothing: scripts/package builds what is installed, so a package needs no
# build of the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
include(CPack)
