# velmar_program_resources(TARGET DESCRIPTION): on Windows, the program's icon and the version
# information that Explorer and the installer show. Nothing elsewhere.
function(velmar_program_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(VELMAR_PROGRAM ${target})
  set(VELMAR_DESCRIPTION ${description})
  set(VELMAR_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/velmarcom.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
