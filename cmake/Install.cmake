# What `cmake --install` puts in place: the window and the command line, the desktop entry
# with the window's icon, and the command line's manual page. Test programs and tools stay in
# the build. The window tells that it is installed by finding its desktop entry at
# ../share/applications from its own folder (ui/settings_location.h), so these folders are
# fixed rather than taken from GNUInstallDirs.

install(TARGETS tarnwick tarnwick-cli RUNTIME DESTINATION bin)

if(UNIX AND NOT APPLE)
  install(FILES packaging/tarnwick.desktop DESTINATION share/applications)
  # The icon exists at 32 by 32 pixels only; the theme scales it for other sizes.
  install(FILES ui/resources/window-icon.png
    DESTINATION share/icons/hicolor/32x32/apps
    RENAME tarnwick.png)
  install(FILES packaging/tarnwick-cli.1 DESTINATION share/man/man1)
endif()
