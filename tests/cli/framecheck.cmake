# framecheck's verdicts on frames rendered here: a frame agrees with itself; two different
# frames disagree exactly, agree within a tolerance above their largest difference or a
# share of 1; frames of other sizes never agree; bad arguments and missing files are errors
# (exit 2), never a verdict.
foreach(frame "a;40x30" "b;40x30;--set;Rotation X=45" "c;30x40")
  list(POP_FRONT frame name size)
  execute_process(COMMAND ${PROGRAM} render --set "Rendering mode=Flat" --size ${size} ${frame}
                  --output fc_${name}.png WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE code
                  OUTPUT_QUIET TIMEOUT 60)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "render of fc_${name}.png failed: ${code}")
  endif()
endforeach()
# expected exit code | arguments (';' inside an entry is written as ',')
set(cases
  "0|fc_a.png,fc_a.png"
  "1|fc_a.png,fc_b.png"
  "0|fc_a.png,fc_b.png,255"
  "0|fc_a.png,fc_b.png,0,1"
  "1|fc_a.png,fc_c.png,255,1"
  "2|fc_a.png,fc_b.png,x"
  "2|fc_a.png,fc_b.png,0,2"
  "2|fc_a.png,fc_missing.png"
  "2|fc_a.png")
foreach(entry ${cases})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 expected)
  list(GET parts 1 args)
  string(REPLACE "," ";" args "${args}")
  execute_process(COMMAND ${FRAMECHECK} ${args} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT code EQUAL expected)
    message(FATAL_ERROR "framecheck ${args}: exit ${code}, expected ${expected}\n${out}${err}")
  endif()
endforeach()
