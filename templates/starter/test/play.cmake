# cmake -DPROGRAM=... -DSCRIPT=... -DEXPECTED=... -P play.cmake: plays the input script on
# the headless host as fast as it can, in the program's folder (where Images/ and Sounds/
# are), and compares the trace it wrote with the expected one.
get_filename_component(folder ${PROGRAM} DIRECTORY)
set(trace ${folder}/walk.trace)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TOLVO_HOST=headless TOLVO_FPS=0 TOLVO_SCRIPT=${SCRIPT}
            TOLVO_TRACE=${trace} ${PROGRAM}
    WORKING_DIRECTORY ${folder}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the game ended with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${trace} ${EXPECTED}
                RESULT_VARIABLE different)
if(different)
    message(FATAL_ERROR "the trace ${trace} differs from ${EXPECTED}")
endif()
