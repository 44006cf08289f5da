# Runs one case of the command line host and checks its exit code and output:
#   info                 `quorvel info` on the built module prints the 53 parameters as the
#                        host received them and exits 0;
#   info_missing_module  `quorvel info` on a file that does not exist says so, naming it,
#                        prints nothing on stdout and exits 2.
if(CASE STREQUAL "info")
  set(args info)
  set(expected_code 0)
  set(stdout_regex "Parameters: 53 \\(num_params 53\\).*  14  Strength of\\\\tshininess +FIX_SLIDER +100 +-1000 \\.\\. 1000 +0 \\.\\. 500 .*  52  Cut alpha +CHECKBOX +off +0x2 CANNOT_TIME_VARY +5 +label \"\"\nCustom UI: events 0x00000007")
  set(stderr_regex "")
elseif(CASE STREQUAL "info_missing_module")
  set(args info no_such_module.AEX)
  set(expected_code 2)
  set(stdout_regex "^$")
  set(stderr_regex "quorvel info: cannot use module \"no_such_module.AEX\": no such file")
else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()

if(RUNNER)
  set(command bash ${RUNNER} ${PROGRAM} ${args})
else()
  set(command ${PROGRAM} ${args})
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REPLACE "\r" "" out "${out}")  # Wine's console output carries carriage returns
string(REPLACE "\r" "" err "${err}")
if(NOT code EQUAL expected_code)
  message(FATAL_ERROR "exit code ${code}, expected ${expected_code}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out MATCHES "${stdout_regex}")
  message(FATAL_ERROR "stdout does not match:\n${out}")
endif()
if(NOT err MATCHES "${stderr_regex}")
  message(FATAL_ERROR "stderr does not match:\n${err}")
endif()
