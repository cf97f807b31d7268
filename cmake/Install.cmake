# The program's data in the build folder, installing (FHS layout) and the
# Debian package.
#
#   <prefix>/bin/poronka, poronka-cli
#   <prefix>/share/poronka/            help/, examples/ (the install folder)
#   <prefix>/share/applications/       desktop entry
#   <prefix>/share/metainfo/           AppStream metadata
#   <prefix>/share/mime/packages/      the score and playlist file types
#   <prefix>/share/icons/hicolor/      the application icon, SVG and PNG
#   <prefix>/share/man/man1/           manual pages
#
# The build folder holds the same data as poronka-data/ next to the
# executables, so that the programs run from there; it is copied by build
# steps, so an edit is picked up by the next build.
include(GNUInstallDirs)

set(PORONKA_APP_ID "org.example.poronka" CACHE STRING
    "Reverse-DNS application ID: name of the desktop entry and the AppStream component")
set(PORONKA_HOMEPAGE "https://poronka.example.org" CACHE STRING
    "Home page named in the AppStream metadata; it also serves the screenshot player.png")
set(PORONKA_ICON_NAME poronka)
set(PORONKA_MAN_DATE 2025-06-01)
set(PORONKA_DATA_PATH ${CMAKE_INSTALL_FULL_DATADIR}/poronka)
set(PORONKA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(_pkg ${CMAKE_SOURCE_DIR}/packaging)
set(_gen ${CMAKE_BINARY_DIR}/packaging)

if(TARGET poronka)
  target_compile_definitions(poronka PRIVATE PORONKA_APP_ID="${PORONKA_APP_ID}")
endif()

# ---- data next to the executables in the build folder ------------------------
file(GLOB_RECURSE _data_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
file(GLOB _example_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.mbt)
set(_staged "")
function(poronka_stage source destination)
  get_filename_component(_dir ${destination} DIRECTORY)
  add_custom_command(OUTPUT ${destination}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${destination}
    DEPENDS ${source} VERBATIM)
  set(_staged ${_staged} ${destination} PARENT_SCOPE)
endfunction()
foreach(_f IN LISTS _data_files)
  file(RELATIVE_PATH _rel ${CMAKE_SOURCE_DIR}/data ${_f})
  poronka_stage(${_f} ${CMAKE_BINARY_DIR}/poronka-data/${_rel})
endforeach()
foreach(_f IN LISTS _example_files)
  get_filename_component(_name ${_f} NAME)
  poronka_stage(${_f} ${CMAKE_BINARY_DIR}/poronka-data/examples/${_name})
  # Benchmarks and hand runs from the build folder use examples/ there.
  poronka_stage(${_f} ${CMAKE_BINARY_DIR}/examples/${_name})
endforeach()

# ---- desktop files, icons and manual pages ---------------------------------
configure_file(${_pkg}/poronka.desktop.in ${_gen}/${PORONKA_APP_ID}.desktop @ONLY)
configure_file(${_pkg}/poronka.metainfo.xml.in ${_gen}/${PORONKA_APP_ID}.metainfo.xml @ONLY)
configure_file(${_pkg}/changelog.in ${_gen}/changelog @ONLY)

find_program(RSVG_CONVERT rsvg-convert)
find_program(GZIP_PROGRAM gzip REQUIRED)
set(_icons "")
if(RSVG_CONVERT)
  foreach(_size IN LISTS PORONKA_ICON_SIZES)
    set(_png ${_gen}/icons/${_size}x${_size}/${PORONKA_ICON_NAME}.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_gen}/icons/${_size}x${_size}
      COMMAND ${RSVG_CONVERT} -w ${_size} -h ${_size} -o ${_png} ${_pkg}/poronka.svg
      DEPENDS ${_pkg}/poronka.svg VERBATIM)
    list(APPEND _icons ${_png})
  endforeach()
else()
  message(WARNING "rsvg-convert not found: only the scalable icon is installed (scripts/setup.sh installs librsvg2-bin)")
endif()

# Manual pages and the package changelog, compressed as Debian ships them.
set(_compressed "")
foreach(_page poronka poronka-cli)
  configure_file(${_pkg}/man/${_page}.1.in ${_gen}/man/${_page}.1 @ONLY)
  list(APPEND _compressed ${_gen}/man/${_page}.1)
endforeach()
list(APPEND _compressed ${_gen}/changelog)
set(_gz "")
foreach(_f IN LISTS _compressed)
  add_custom_command(OUTPUT ${_f}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${_f} > ${_f}.gz
    DEPENDS ${_f})
  list(APPEND _gz ${_f}.gz)
endforeach()

add_custom_target(poronka_data ALL DEPENDS ${_staged} ${_icons} ${_gz})

# ---- install rules -----------------------------------------------------------
set(_programs poronka-cli)
if(TARGET poronka)
  list(PREPEND _programs poronka)
endif()
install(TARGETS ${_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/poronka)
install(FILES ${_example_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/poronka/examples)
install(FILES ${_gen}/${PORONKA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_gen}/${PORONKA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/poronka-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME poronka.xml)
install(FILES ${_pkg}/poronka.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${PORONKA_ICON_NAME}.svg)
foreach(_png IN LISTS _icons)
  get_filename_component(_dir ${_png} DIRECTORY)
  get_filename_component(_size ${_dir} NAME)
  install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}/apps)
endforeach()
install(FILES ${_gen}/man/poronka.1.gz ${_gen}/man/poronka-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkg}/copyright ${_gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/poronka)

# ---- the Debian package: cpack -G DEB in the build folder ------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME poronka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ポロンカ")
set(CPACK_PACKAGE_CONTACT "ポロンカ developers <poronka@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PORONKA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Besides the libraries found by dpkg-shlibdeps: the soundfont behind
# default-GM.sf2, the media plug-ins (plugins-bad plays MIDI files as media,
# libav WMA), Qt's Japanese texts and the Japanese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "timgm6mb-soundfont | sf2-soundfont-gm, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav, qt6-translations-l10n, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-ugly, qt6-wayland, pulseaudio | pipewire-pulse")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music box player and composer with a Japanese user interface")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ポロンカ plays music box (orgel) scores: a paper roll scrolls past a comb
whose teeth light up as they are struck, and the notes sound on the built-in
FluidSynth synthesizer or an ALSA MIDI output. Scores are written in a grid
editor, converted from Standard MIDI Files, and saved as MBT scores,
Standard MIDI Files and MFi ringtones. Playlists play songs in turn.
.
The batch tool poronka-cli converts, plays, renders and edits scores
without a window.")
include(CPack)

# ---- checks of the installed files ------------------------------------------------
add_test(NAME install_layout
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/install_test.sh ${CMAKE_BINARY_DIR} ${PORONKA_APP_ID})
set_tests_properties(install_layout PROPERTIES TIMEOUT 300)
