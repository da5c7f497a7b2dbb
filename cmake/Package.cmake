# The Debian package (scripts/package): what `cmake --install` installs, under /usr. The
# libraries it needs are found by dpkg-shlibdeps from the programs themselves, so the Qt
# runtime packages named are those of the system it is built on.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Brackenfield Instruments")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "firmware downloader for microcontroller serial bootloaders")
# Debian shows the description as lines of under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnwick downloads firmware into a microcontroller through the
microcontroller's resident serial bootloader: it brings the target into its
bootloader, reads the bootloader's version, sends the EEPROM file and then
the application file one line at a time with a verdict for every line, and
tells the outcome. The package holds the window (tarnwick) and the command
line (tarnwick-cli), which downloads to one or many boards from terminals,
scripts and build servers.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brackenfield Instruments <support@bfi.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.bfi.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
