# What `cmake --install` puts in place: the window and the command line, the desktop entry
# with the window's icon, the two manual pages, the changelog and the copyright. Test programs
# and tools stay in the build. The window tells that it is installed by finding its desktop
# entry at ../share/applications from its own folder (ui/settings_location.h), so these
# folders are fixed rather than taken from GNUInstallDirs.

install(TARGETS tarnwick tarnwick-cli RUNTIME DESTINATION bin)

if(UNIX AND NOT APPLE)
  install(FILES packaging/tarnwick.desktop DESTINATION share/applications)
  # The icon exists at 32 by 32 pixels only; the theme scales it for other sizes.
  install(FILES ui/resources/window-icon.png
    DESTINATION share/icons/hicolor/32x32/apps
    RENAME tarnwick.png)
  # Manual pages and the changelog are installed compressed, as Debian's policy asks; they are
  # made with the programs, so that building just the two programs is enough to install.
  find_program(GZIP_PROGRAM gzip REQUIRED)
  set(compressed)
  foreach(file tarnwick.1 tarnwick-cli.1 changelog)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/packaging/${file}.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${GZIP_PROGRAM} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/${file} > ${output}
      DEPENDS packaging/${file}
      VERBATIM)
    list(APPEND compressed ${output})
  endforeach()
  add_custom_target(tarnwick_compressed_docs DEPENDS ${compressed})
  add_dependencies(tarnwick tarnwick_compressed_docs)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/tarnwick.1.gz
                ${CMAKE_CURRENT_BINARY_DIR}/packaging/tarnwick-cli.1.gz
    DESTINATION share/man/man1)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz packaging/copyright
    DESTINATION share/doc/tarnwick)

  # The changelog's newest entry names the version being built.
  file(STRINGS packaging/changelog newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^tarnwick \\(${PROJECT_VERSION}\\) ")
    message(WARNING "packaging/changelog does not begin with version ${PROJECT_VERSION}")
  endif()
endif()
