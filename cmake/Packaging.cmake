# Installation and the Debian package: the program (fonts and pictures are built in), its
# desktop entry, icon, AppStream metadata and manual page, the udev rule that opens the USB
# cable to the user at the seat, and the maintainer scripts that apply the rule at once; the
# headless recorder with its manual page and its systemd service template.
set(VIREO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(VIREO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vireo-link)

# Debian wants the manual page and the changelog compressed to the maximum and without a
# time stamp, so that the package builds the same every time.
find_program(VIREO_GZIP gzip REQUIRED)
set(VIREO_COMPRESSED "")
foreach(doc vireo.1 vireo-record.1 changelog)
  set(out ${CMAKE_BINARY_DIR}/packaging/${doc}.gz)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${VIREO_GZIP} -9 -n -c ${VIREO_PACKAGING_DIR}/${doc} > ${out}
    DEPENDS ${VIREO_PACKAGING_DIR}/${doc}
    COMMENT "Compressing ${doc}")
  list(APPEND VIREO_COMPRESSED ${out})
endforeach()
add_custom_target(vireo_packaging_docs ALL DEPENDS ${VIREO_COMPRESSED})

install(FILES assets/vireo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 128)
  install(FILES assets/pictures/icon${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vireo.png)
endforeach()
install(FILES ${VIREO_PACKAGING_DIR}/invalid.vireo_link.vireo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/packaging/vireo.1.gz ${CMAKE_BINARY_DIR}/packaging/vireo-record.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VIREO_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${VIREO_DOC_DIR})
install(FILES assets/udev/60-vireo.rules DESTINATION ${VIREO_UDEV_RULES_DIR})
install(FILES ${VIREO_PACKAGING_DIR}/vireo-record@.service DESTINATION ${VIREO_SYSTEMD_UNIT_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vireo-link)
set(CPACK_PACKAGE_VENDOR "Vireo Link")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "link a PC to a digital multimeter: LCD, log, chart, limits")
# Lines under 80 characters, as Debian's tools show them unwrapped.
set(CPACK_PACKAGE_DESCRIPTION
    "Vireo Link reads a digital multimeter that streams its display over an RS-232
cable or over a USB cable whose adapter is a HID device named 'USB to Serial'.
It imitates the meter's LCD, keeps the running maximum and minimum, logs every
reading to a table, plots it on a paged trend chart and judges it Pass or Fail
against a high and a low limit.

Logs save and load as tab-separated text or as an XML data packet, print as an
A4 report, and the chart saves as a bitmap. A udev rule gives the user at the
seat access to the USB cable.

vireo-record logs the meter to a CSV or tab-separated file without a window or
a display, for runs of days on a machine without a desktop; a systemd service
template starts it at boot for a serial device.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vireo Link developers <dev@vireo-link.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window platform plugins, and the metric twins of the faces the window was designed with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VIREO_PACKAGING_DIR}/postinst
    ${VIREO_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
