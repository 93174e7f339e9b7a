# Checks the program's RUNPATH in the build tree and once installed: it leads
# to the port libraries, and has no empty entry, which the loader would read
# as the current folder.
#   cmake -DBUILD_DIR=... -DPROGRAM=... -DINSTALL_DIR=... -DBINDIR=... -P check-runpath.cmake

function(check_runpath program)
  execute_process(COMMAND readelf -d "${program}" OUTPUT_VARIABLE dynamic
                  COMMAND_ERROR_IS_FATAL ANY)
  if(NOT dynamic MATCHES "Library runpath: \\[([^]\n]*)\\]")
    message(FATAL_ERROR "${program} has no RUNPATH")
  endif()
  set(runpath "${CMAKE_MATCH_1}")
  if(runpath MATCHES "(^|:)(:|$)")
    message(FATAL_ERROR "${program} has an empty RUNPATH entry: ${runpath}")
  endif()
  get_filename_component(origin "${program}" DIRECTORY)
  string(REPLACE "$ORIGIN" "${origin}" folders "${runpath}")
  string(REPLACE ":" ";" folders "${folders}")
  foreach(folder IN LISTS folders)
    if(EXISTS "${folder}/libinpout32.so" AND EXISTS "${folder}/libWIN95IO.so")
      message(STATUS "${program}: ${runpath}")
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "${program}: no port libraries on its RUNPATH ${runpath}")
endfunction()

check_runpath("${PROGRAM}")
file(REMOVE_RECURSE "${INSTALL_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${INSTALL_DIR}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
check_runpath("${INSTALL_DIR}/${BINDIR}/tarvik")
file(REMOVE_RECURSE "${INSTALL_DIR}")
