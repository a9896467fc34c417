# Read by cpack once per generator: the installer's own file name.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "VelmarCom-${CPACK_PACKAGE_VERSION}-setup")
endif()
