# The Windows programs as a portable folder (VelmarCom-<version>-win64.zip) and an installer
# (VelmarCom-<version>-setup.exe): the four programs, the Qt DLLs and plug-ins they load, the compiler's
# runtime, the icon and the licences. cpack makes both from this build (./do windows).

install(TARGETS velmarcom velmar-site velmarctl velmar-board RUNTIME DESTINATION .)

# Qt, as windeployqt lays it out: the DLLs beside the programs, each plug-in in its kind's folder.
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
              $<TARGET_FILE:Qt6::Network> DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> $<TARGET_FILE:Qt6::QGifPlugin> $<TARGET_FILE:Qt6::QJpegPlugin>
        DESTINATION imageformats)

# The compiler's runtime: the C++ library, its unwinder and the threads library.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "the compiler's ${dll} was not found (${path})")
  endif()
  install(FILES ${path} DESTINATION .)
endforeach()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/../COPYRIGHT RENAME COPYRIGHT.txt DESTINATION .)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/THIRD-PARTY.txt DESTINATION licenses)
foreach(licence LGPL-3 GPL-3)
  install(FILES /usr/share/common-licenses/${licence} RENAME ${licence}.txt DESTINATION licenses)
endforeach()

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME VelmarCom)
set(CPACK_PACKAGE_VENDOR "VelmarCom developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Конфігуратор плат ВЕЛМАР")
set(CPACK_PACKAGE_INSTALL_DIRECTORY VelmarCom)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY VelmarCom)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/../COPYRIGHT)
# The zip unpacks into a folder of its name; the installer is named for what it is.
set(CPACK_PACKAGE_FILE_NAME VelmarCom-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-per-generator.cmake)

# A 64-bit installer, as the programs are (and Unicode, for the Ukrainian names).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Конфігуратор плат ВЕЛМАР")
set(CPACK_NSIS_DISPLAY_NAME "Конфігуратор плат ВЕЛМАР")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/velmarcom.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_LIST_DIR}/velmarcom.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME velmarcom.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES velmarcom "Конфігуратор плат ВЕЛМАР" velmar-site "Плати об'єкта ВЕЛМАР")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The mark by which an installed program keeps its settings in the user's folder (%APPDATA%).
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "FileOpen $0 '$INSTDIR\\\\velmarcom.installed' w\nFileClose $0")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Delete '$INSTDIR\\\\velmarcom.installed'")
include(CPack)
