# `quorvel render` split three ways gives the very frames of the whole sequence: a 5-frame
# animated sequence rendered at once, with --jobs 2 (two worker processes), as --range 2-4
# and as --first 5. Every file of a part equals the whole sequence's file byte for byte, a
# part writes no frame outside its range, and a range that is empty, reversed or beyond the
# sequence is a usage error (exit 2) that writes nothing. The same holds for sequences of
# every frame shape (downsampled, 16-bit, low quality, other modes, other rates).
set(dir ${WORK_DIR}/split)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
set(common render --size 96x64 --frames 5 --animate "Rotation Y=0:80" --animate "Diffuse=0,255,0:255,0,0")

function(quorvel_run expected_code)
  set(runner)
  if(RUNNER)  # Wine, time-limited with one more try
    set(runner bash ${BOUNDED} 240 ${RUNNER})
  endif()
  execute_process(COMMAND ${runner} ${PROGRAM} ${ARGN} WORKING_DIRECTORY ${dir}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 250)
  if(NOT code EQUAL expected_code)
    message(FATAL_ERROR "quorvel ${ARGN}: exit ${code}, expected ${expected_code}\n${out}\n${err}")
  endif()
endfunction()

function(expect_same a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${dir}/${a} ${dir}/${b}
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${b} differs from ${a}")
  endif()
endfunction()

function(expect_absent f)
  if(EXISTS ${dir}/${f})
    message(FATAL_ERROR "${f} was written")
  endif()
endfunction()

quorvel_run(0 ${common} --output whole.png)
quorvel_run(0 ${common} --output jobs.png --jobs 2)
quorvel_run(0 ${common} --output part.png --range 2-4)
quorvel_run(0 ${common} --output last.png --first 5)
foreach(i 1 2 3 4 5)
  expect_same(whole_000${i}.png jobs_000${i}.png)
endforeach()
foreach(i 2 3 4)
  expect_same(whole_000${i}.png part_000${i}.png)
endforeach()
expect_same(whole_0005.png last_0005.png)
foreach(f part_0001.png part_0005.png last_0004.png last.png)
  expect_absent(${f})
endforeach()

# Sequences equal single frames, whatever shapes the frames: frame k of a sequence rendered
# in one process, in three workers, and alone, byte for byte (nothing of one frame may
# reach the next).
set(shapes "--downsample|2|--depth|16|--fps|12" "--quality|lo|--set|Rendering mode=Bezier"
    "--set|Rendering mode=Line|--set|Cut alpha=on|--fps|7")
set(n 0)
foreach(options IN LISTS shapes)
  string(REPLACE "|" ";" shape "${options}")
  math(EXPR n "${n} + 1")
  quorvel_run(0 ${common} ${shape} --output s${n}.png)
  quorvel_run(0 ${common} ${shape} --output s${n}j.png --jobs 3)
  foreach(i 1 2 3 4 5)
    quorvel_run(0 ${common} ${shape} --output s${n}a.png --range ${i}-${i})
    expect_same(s${n}_000${i}.png s${n}a_000${i}.png)
    expect_same(s${n}_000${i}.png s${n}j_000${i}.png)
  endforeach()
endforeach()

quorvel_run(2 ${common} --output bad.png --range 4-2)
quorvel_run(2 ${common} --output bad.png --range 2-6)
quorvel_run(2 ${common} --output bad.png --range 3)
quorvel_run(2 ${common} --output bad.png --jobs 0)
quorvel_run(2 ${common} --output bad.png --range 2-3 --last 4)
foreach(f bad.png bad_0002.png bad_0003.png bad_0004.png)
  expect_absent(${f})
endforeach()
