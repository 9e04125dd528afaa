# Install rules and the Debian packages. Two components, two packages:
#   client -> vendrix         the application, its desktop entry, icons, metainfo, manual
#   server -> vendrix-server  the backend, its systemd unit and manual
# `cmake --install build` installs both; `scripts/package.sh` builds the packages.

include(GNUInstallDirs)

set(VENDRIX_APP_ID example.kestrova.vendrix)
set(VENDRIX_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(VENDRIX_PACKAGING_BINARY_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${VENDRIX_PACKAGING_BINARY_DIR})

# The QML modules the documents import that Debian packages separately from
# the libraries the executable links (those the package tools find by
# themselves). The package test checks every import of the documents against it.
set(VENDRIX_QML_MODULE_PACKAGES
    qml-module-qtqml
    qml-module-qtqml-models2
    qml-module-qtquick2
    qml-module-qtquick-window2
    qml-module-qtquick-layouts
    qml-module-qtquick-controls2
    qml-module-qtquick-templates2
    qml-module-qtquick-controls
    qml-module-qtquick-dialogs
    qml-module-qtquick-localstorage
    qml-module-qtgraphicaleffects
    qml-module-qt-labs-qmlmodels
    qml-module-qt-labs-settings
    # the settings store of the documents is an SQLite database
    libqt5sql5-sqlite
    # QtKeychain reaches the desktop's secret service through libsecret, which
    # it loads when it runs (the package tools see only QtKeychain itself)
    libsecret-1-0
    # Qt's own texts (standard buttons, file dialog) in German
    qttranslations5-l10n)

# ---- client

install(TARGETS vendrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
install(FILES ${VENDRIX_PACKAGING_DIR}/${VENDRIX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)
install(FILES ${VENDRIX_PACKAGING_DIR}/${VENDRIX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT client)

# The icon: the SVG as drawn, and the sizes launchers and menus ask for,
# rendered from it at build time.
find_program(RSVG_CONVERT_EXECUTABLE rsvg-convert)
if(NOT RSVG_CONVERT_EXECUTABLE)
    message(FATAL_ERROR "rsvg-convert renders the application icon; install librsvg2-bin (scripts/install-deps.sh)")
endif()
set(VENDRIX_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(icon_svg ${VENDRIX_PACKAGING_DIR}/vendrix.svg)
set(icon_root ${VENDRIX_PACKAGING_BINARY_DIR}/icons/hicolor)
set(icon_files "")
foreach(size ${VENDRIX_ICON_SIZES})
    set(png ${icon_root}/${size}x${size}/apps/${VENDRIX_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_root}/${size}x${size}/apps
        COMMAND ${RSVG_CONVERT_EXECUTABLE} --width ${size} --height ${size} --output ${png} ${icon_svg}
        DEPENDS ${icon_svg}
        VERBATIM)
    list(APPEND icon_files ${png})
endforeach()
add_custom_target(vendrix_icons ALL DEPENDS ${icon_files})
install(DIRECTORY ${icon_root} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT client)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${VENDRIX_APP_ID}.svg COMPONENT client)

# Manual pages, compressed as Debian ships them. The client's names the
# origin this build carries; the server's takes its options from --help, so
# that it always lists the options of the binary it comes with.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
configure_file(${VENDRIX_PACKAGING_DIR}/vendrix.1.in ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix.1 @ONLY)
set(server_man_head ${VENDRIX_PACKAGING_DIR}/vendrix-server.1.in)
add_custom_command(OUTPUT ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix.1.gz
    COMMAND ${GZIP_EXECUTABLE} -9nkf ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix.1
    DEPENDS ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix.1
    WORKING_DIRECTORY ${VENDRIX_PACKAGING_BINARY_DIR}
    VERBATIM)
add_custom_command(OUTPUT ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.1.gz
    COMMAND ${CMAKE_COMMAND} -DSERVER=$<TARGET_FILE:vendrix-server> -DPAGE=${server_man_head}
            -DVERSION=${VENDRIX_VERSION} -DOUTPUT=${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.1
            -P ${VENDRIX_PACKAGING_DIR}/servermanual.cmake
    COMMAND ${GZIP_EXECUTABLE} -9nkf ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.1
    DEPENDS vendrix-server ${server_man_head} ${VENDRIX_PACKAGING_DIR}/servermanual.cmake
    WORKING_DIRECTORY ${VENDRIX_PACKAGING_BINARY_DIR}
    VERBATIM)
add_custom_target(vendrix_manuals ALL DEPENDS
    ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix.1.gz ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.1.gz)
install(FILES ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT client)

# ---- server (the binary's own install rule is in server/)

install(FILES ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT server)
# The unit names the binary where this installation puts it, which is known
# only when installing (packages install below /usr, `cmake --install` below
# its prefix).
install(CODE "
    set(VENDRIX_SERVER_BINARY \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vendrix-server\")
    configure_file(\"${VENDRIX_PACKAGING_DIR}/vendrix-server.service.in\"
        \"${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.service\" @ONLY)
    configure_file(\"${VENDRIX_PACKAGING_DIR}/vendrix-server-backup.service.in\"
        \"${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server-backup.service\" @ONLY)
    " COMPONENT server)
# The nightly backup: a service that writes one and a timer that starts it,
# pulled in by the server's unit.
install(FILES ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server.service
    ${VENDRIX_PACKAGING_BINARY_DIR}/vendrix-server-backup.service
    ${VENDRIX_PACKAGING_DIR}/vendrix-server-backup.timer
    DESTINATION lib/systemd/system COMPONENT server)

# ---- Debian packages

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vendrix)
set(CPACK_PACKAGE_VENDOR Kestrova)
set(CPACK_PACKAGE_VERSION ${VENDRIX_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrova <vendrix@kestrova.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kestrova.example/vendrix")

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME vendrix)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION misc)
string(REPLACE ";" ", " client_depends "${VENDRIX_QML_MODULE_PACKAGES}")
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "${client_depends}")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "office client for courier, shipping and warehousing\n\
Vendrix captures and bills orders, keeps private and business customers and\n\
runs the warehouse (stock bookings, article groups) against the business's\n\
backend (see the package vendrix-server). Set VENDRIX_API_URL to the\n\
office's server; see vendrix(1).")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME vendrix-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_COMPONENT_SERVER_DESCRIPTION
    "backend of the Vendrix office client\n\
vendrix-server answers every request of the Vendrix client: users and\n\
sessions, customers, orders with billing and invoice documents, and the\n\
warehouse. It keeps its data in one SQLite database and serves HTTP or\n\
HTTPS. The package carries a systemd unit; see vendrix-server(1).")

# The unit takes effect for systemd when the package is installed, removed
# or upgraded; it is not started or enabled by itself.
file(WRITE ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/postinst
    "#!/bin/sh\nset -e\nif [ -d /run/systemd/system ]; then\n    systemctl daemon-reload || true\nfi\n")
file(WRITE ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/postrm
    "#!/bin/sh\nset -e\nif [ -d /run/systemd/system ]; then\n    systemctl daemon-reload || true\nfi\n")
file(WRITE ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/prerm
    "#!/bin/sh\nset -e\nif [ \"$1\" = remove ] && [ -d /run/systemd/system ]; then\n    systemctl stop vendrix-server-backup.timer vendrix-server.service || true\nfi\n")
file(CHMOD ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/postinst ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/postrm
    ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/prerm
    PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/postinst
    ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/prerm
    ${VENDRIX_PACKAGING_BINARY_DIR}/server-scripts/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
