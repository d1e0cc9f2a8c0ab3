# Plays one scenario and compares its transcript with the expected one.
get_filename_component(_dir ${SCRIPT} DIRECTORY)
get_filename_component(_name ${SCRIPT} NAME_WE)
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
if(EXISTS ${_dir}/${_name}.data)
  file(COPY ${_dir}/${_name}.data/ DESTINATION ${WORKDIR})
endif()
execute_process(COMMAND ${RUNNER} --dir ${WORKDIR} ${SCRIPT}
                OUTPUT_VARIABLE _actual RESULT_VARIABLE _rc)
file(READ ${_dir}/${_name}.expected _expected)
if(NOT _actual STREQUAL _expected)
  file(WRITE ${WORKDIR}.actual "${_actual}")
  message(FATAL_ERROR "transcript differs from ${_name}.expected (runner exit ${_rc}); "
                      "got ${WORKDIR}.actual:\n${_actual}")
endif()
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "the runner exited ${_rc}")
endif()
