# Installing the programs like desktop software on Linux, and a Debian package of them.
include(GNUInstallDirs)

install(TARGETS velmarcom velmar-site velmarctl velmar-board RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ua.velmar.VelmarCom.desktop ua.velmar.VelmarSite.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ua.velmar.VelmarCom.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128)
  install(FILES icons/velmarcom-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ua.velmar.VelmarCom.png)
endforeach()
configure_file(ua.velmar.VelmarCom.metainfo.xml ${CMAKE_CURRENT_BINARY_DIR}/ua.velmar.VelmarCom.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ua.velmar.VelmarCom.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages from the programs' own --help and --version, with a description and examples of each.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  foreach(tool velmarcom velmar-site velmarctl velmar-board)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${tool}.1)
    set(include ${CMAKE_CURRENT_SOURCE_DIR}/man/${tool}.h2m)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN} --no-info --no-discard-stderr --section=1 --include=${include} --output=${page}
              $<TARGET_FILE:${tool}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${tool} ${include}
      COMMENT "Manual page of ${tool}")
    list(APPEND pages ${page}.gz)
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# What Debian asks of every package: the copyright and the changelog.
install(FILES COPYRIGHT RENAME copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmarcom)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog} COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/changelog > ${changelog}
                   DEPENDS changelog)
add_custom_target(changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmarcom)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmarcom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VelmarCom developers <velmarcom@velmar.ua>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the VELMAR lift controller boards")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads, edits and writes the network configuration of the controller boards\n\
of a lift dispatch network over UDP. velmar-site shows the boards of a whole\n\
site in one window, velmarctl works with them from the command line, and\n\
velmar-board is a stand-in board for training and tests.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries the programs link: the fonts the window is laid out for, and Qt's platform
# plug-ins, without which no window can open (Qt only recommends them).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
