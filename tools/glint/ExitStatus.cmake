# Runs TOOL ARGS FILE and checks its exit status and standard error.
execute_process(COMMAND ${TOOL} ${ARGS} ${FILE} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; stderr: ${err}")
endif()
if(NOT err MATCHES "${ERROR}")
  message(FATAL_ERROR "stderr '${err}' does not match '${ERROR}'")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "unexpected output: ${out}")
endif()
