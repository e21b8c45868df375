# What `cmake --install` puts on a system, and the Debian package built from
# it (`cpack -G DEB`): the commands, the desktop entry, the icon in the hicolor
# theme, the AppStream data, the manual pages and the bash completion.
include(GNUInstallDirs)

set(ONDRIX_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

# ondrix-tone-play must lie beside ondrix-tone, which starts it to play.
set(ONDRIX_COMMANDS ondrix ondrix-calc ondrix-tone ondrix-tone-play ondrix-graph ondrix-atom)
foreach(command IN LISTS ONDRIX_COMMANDS)
  if(TARGET ${command})
    install(TARGETS ${command} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Desktop entry and AppStream data.
install(FILES ${ONDRIX_RESOURCES}/desktop/ondrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ONDRIX_RESOURCES}/desktop/com.merrow.ondrix.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the SVG as drawn, and PNG sizes rendered from it by a small Qt tool.
# The tool runs at build time, so it is built without sanitizers.
find_package(Qt6 REQUIRED COMPONENTS Svg)
add_executable(ondrix-render-icon ${ONDRIX_RESOURCES}/icons/RenderIcon.cpp)
target_link_libraries(ondrix-render-icon PRIVATE Qt6::Svg)
target_compile_options(ondrix-render-icon PRIVATE -fno-sanitize=all)
target_link_options(ondrix-render-icon PRIVATE -fno-sanitize=all)
set_target_properties(ondrix-render-icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(ONDRIX_ICON_SVG ${ONDRIX_RESOURCES}/icons/ondrix.svg)
set(ONDRIX_ICON_SIZES 16 22 24 32 48 64 128 256)
set(ONDRIX_ICON_PNGS)
foreach(size IN LISTS ONDRIX_ICON_SIZES)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/ondrix.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:ondrix-render-icon> ${ONDRIX_ICON_SVG} ${size} ${png}
    DEPENDS ondrix-render-icon ${ONDRIX_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND ONDRIX_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(ondrix_icons ALL DEPENDS ${ONDRIX_ICON_PNGS})
install(FILES ${ONDRIX_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages, written in mdoc and installed compressed (gzip -n: no time stamp,
# so that two builds give the same package). ondrix-tone-play shares its page.
set(ONDRIX_MAN_PAGES ondrix ondrix-calc ondrix-tone ondrix-graph ondrix-atom)
set(ONDRIX_MAN_GZ)
foreach(page IN LISTS ONDRIX_MAN_PAGES)
  set(source ${ONDRIX_RESOURCES}/man/${page}.1)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"" ${source} ${gz}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND ONDRIX_MAN_GZ ${gz})
endforeach()
add_custom_target(ondrix_man_pages ALL DEPENDS ${ONDRIX_MAN_GZ})
install(FILES ${ONDRIX_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
file(CREATE_LINK ondrix-tone.1.gz ${CMAKE_BINARY_DIR}/man/ondrix-tone-play.1.gz SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/man/ondrix-tone-play.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Bash completion: one script serves every command; bash-completion loads it
# by the name of the command being completed.
foreach(command ondrix ondrix-calc ondrix-tone ondrix-graph ondrix-atom)
  install(FILES ${ONDRIX_RESOURCES}/completion/ondrix.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${command})
endforeach()

# Debian documents: the change log and the copyright file.
set(ONDRIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/ondrix)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian
  COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1\""
          ${ONDRIX_RESOURCES}/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${ONDRIX_RESOURCES}/debian/changelog
  VERBATIM)
add_custom_target(ondrix_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz ${ONDRIX_RESOURCES}/debian/copyright
        DESTINATION ${ONDRIX_DOC_DIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ondrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ondrix maintainers <ondrix@example.org>" CACHE STRING "Package maintainer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "signal generator for the sound card and the serial and parallel ports")
# The long description under the summary; CPack indents it for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ondrix turns a PC's own ports into the outputs of a function generator: the
sound card plays a sine, square, triangle, sawtooth or noise tone of chosen
frequency, amplitude and duration, and the DTR and RTS lines of a serial port
and the data register of a parallel port toggle as square waves. The
amplitude is the desktop's master volume, calibrated in volts. Every numeric
prompt accepts a formula, and the command line automates everything.

The package also holds command-line tools: ondrix-calc evaluates formulas,
ondrix-tone writes and plays tones, ondrix-graph plots formulas and
ondrix-atom drives the tokens that end a running copy from a script.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

# Checks: the desktop files and manual pages against their validators and the
# commands' help, and the commands run from a temporary installation.
if(ONDRIX_TESTS)
  add_test(NAME integration_files
           COMMAND bash ${ONDRIX_RESOURCES}/tests/check-integration-files.sh
                   ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  add_test(NAME integration_installed
           COMMAND bash ${ONDRIX_RESOURCES}/tests/installed-commands.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(integration_files integration_installed PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
