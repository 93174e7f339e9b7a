# Checks the window's command line where no display can be had: --help and
# --version answer and end with status 0, past any of Qt's own options; an
# unknown option, an argument that is none and a port that is not one are
# usage errors (status 2); all before the program needs a display, which Qt
# would end the program for (status 134).
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
run(0 "--simulated-port" -reverse --style fusion -stylesheet=x.qss -geometry 10x10 -display -h
    -qwindowtitle --bogus --help)
run(0 "^tarvik 1\\.0\n$" --version)
run(2 "--port takes .*parport0 to parport99, not \"0x378\"" --port 0x378)
run(2 "Missing value after '--port'" --port)
run(2 "Unknown option 'bogus'" --bogus)
run(2 "Unknown option 'bogus'" -platform offscreen --bogus --port parport1)
run(2 "Unknown option 'platform'" -platform=offscreen)
run(2 "options only, not \"capture.lgc\"" capture.lgc)
