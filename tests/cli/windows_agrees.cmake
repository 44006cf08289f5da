# Renders one rendering mode with the native module and with the Windows module under Wine,
# and compares the two frames: they must be equal channel for channel.
# Skipped when there is no Windows build beside the native one.
if(NOT EXISTS "${WINDOWS_PROGRAM}")
  message("skipped: no Windows build at ${WINDOWS_PROGRAM}")
  return()
endif()
set(native "native_${MODE}.png")
set(windows "windows_${MODE}.png")
file(REMOVE "${WORK_DIR}/${native}" "${WORK_DIR}/${windows}")
set(args render --size 320x240 --set "Rendering mode=${MODE}")
execute_process(COMMAND "${NATIVE_PROGRAM}" ${args} --output ${native}
                WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE native_code OUTPUT_QUIET
                TIMEOUT 120)
execute_process(COMMAND bash "${BOUNDED}" 120 bash "${RUNNER}" "${WINDOWS_PROGRAM}" ${args}
                        --output ${windows}
                WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE windows_code OUTPUT_QUIET
                ERROR_VARIABLE windows_log)
if(NOT native_code EQUAL 0 OR NOT windows_code EQUAL 0)
  message(FATAL_ERROR "render failed: native ${native_code}, Windows ${windows_code}\n${windows_log}")
endif()
execute_process(COMMAND "${COMPARE}" ${native} ${windows} 0 WORKING_DIRECTORY "${WORK_DIR}"
                RESULT_VARIABLE compare_code OUTPUT_VARIABLE report TIMEOUT 60)
message("${MODE}: ${report}")
if(NOT compare_code EQUAL 0)
  message(FATAL_ERROR "the Windows module's frame differs from the native one")
endif()
