# tessik-bench (TOOL) from the outside: the first frame's counters and hash,
# a PPM picture of the right size, JSON timings, and status 2 for bad
# arguments. WORK is a scratch folder. EMULATOR, when given, runs the tool
# (its words joined by "|").
string(REPLACE "|" ";" emulator "${EMULATOR}")
function(run expected_status)
  execute_process(COMMAND ${emulator} ${TOOL} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "tessik-bench ${ARGN}: status ${status}, expected ${expected_status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

run(0 --stats 0)
if(NOT out MATCHES "objects visible: 113\n.*pixels drawn: 167553\nhash: ec62f0b8ecc9260f\n")
  message(FATAL_ERROR "--stats 0 printed:\n${out}")
endif()

# The plain pixel loop on one thread, and three threads, draw the same frame
# as the fastest loop on every core.
foreach(options "--isa scalar --threads 1" "--threads 3")
  separate_arguments(args UNIX_COMMAND "${options}")
  run(0 --stats 0 ${args})
  if(NOT out MATCHES "hash: ec62f0b8ecc9260f\n")
    message(FATAL_ERROR "--stats 0 ${options} printed:\n${out}")
  endif()
endforeach()

file(MAKE_DIRECTORY ${WORK})
run(0 --shot 0 ${WORK}/small.ppm --size 64x48)
file(SIZE ${WORK}/small.ppm size)
file(READ ${WORK}/small.ppm header LIMIT 13)
if(NOT size EQUAL 9229 OR NOT header STREQUAL "P6\n64 48\n255\n")
  message(FATAL_ERROR "--size 64x48: the PPM has ${size} bytes and starts with '${header}'")
endif()

run(0 --shot 0 ${WORK}/frame.ppm)
file(SIZE ${WORK}/frame.ppm size)
file(READ ${WORK}/frame.ppm header LIMIT 15)
if(NOT size EQUAL 921615 OR NOT header STREQUAL "P6\n640 480\n255\n")
  message(FATAL_ERROR "the PPM has ${size} bytes and starts with '${header}'")
endif()

run(0 --frames 2 --steps-per-frame 3 --json)
foreach(key frames steps_per_frame width height threads render_ms_median convert_ms_median clear_ms_median
           frame_ms_median fps)
  if(NOT out MATCHES "\"${key}\": [0-9.]+")
    message(FATAL_ERROR "--json lacks ${key}:\n${out}")
  endif()
endforeach()

foreach(bad "" "--stats" "--stats x" "--stats -1" "--shot 0 frame.gif" "--frames 0" "--frames 2 --fast"
            "--frames 2 --steps-per-frame" "--frames 2 --json --json" "--show 0" "--stats 0 --json"
            "--stats 0 --isa" "--stats 0 --isa mmx" "--stats 0 --size 0x4" "--stats 0 --size 64"
            "--stats 0 --size 99999x2" "--stats 0 --size 4x4 --size 4x4" "--stats 0 --threads 0"
            "--stats 0 --threads 257" "--stats 0 --threads x")
  separate_arguments(args UNIX_COMMAND "${bad}")
  run(2 ${args})
  if(NOT err MATCHES "usage: tessik-bench")
    message(FATAL_ERROR "tessik-bench ${bad}: no usage message:\n${err}")
  endif()
endforeach()
