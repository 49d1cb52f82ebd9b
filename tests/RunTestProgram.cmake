# Runs one test program (or shard) of the cross build through the emulator
# and fails unless it ended normally: a program that crashes under Wine can
# end with status 0, but only a normal end writes GoogleTest's report.
# -DEMULATOR=wine -DPROGRAM=<exe> -DREPORT=<xml as the program names it>
# -DREPORT_HOST=<the same file as this machine names it>
file(REMOVE ${REPORT_HOST})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --gtest_output=xml:${REPORT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with status ${status}")
endif()
if(NOT EXISTS ${REPORT_HOST})
  message(FATAL_ERROR "${PROGRAM} ended without writing its report ${REPORT_HOST}: it crashed or was stopped")
endif()
