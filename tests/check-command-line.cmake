# Checks the window's command line where no display can be had: --help and
# --version answer and end with status 0, and a port that is not one is a
# usage error (status 2), all before the program needs a display.
#   cmake -DPROGRAM=... -P check-command-line.cmake

unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})

# run(expected-status output-pattern arguments...)
function(run status pattern)
  execute_process(COMMAND "${PROGRAM}" ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output TIMEOUT 20)
  if(NOT result STREQUAL status OR NOT output MATCHES "${pattern}")
    message(FATAL_ERROR "tarvik ${ARGN}: status ${result} (expected ${status}), said:\n${output}")
  endif()
endfunction()

run(0 "-platform NAME.*--port <parportN>.*--simulated-port" --help)
run(0 "--simulated-port" -h -platform offscreen)
run(0 "^tarvik 1\\.0\n$" --version)
run(2 "--port takes .*parport0 to parport99, not \"0x378\"" --port 0x378)
run(2 "Missing value after '--port'" --port)
