# Plays one scenario and compares its transcript with the expected one. The scenario's data
# folder NAME.data/ is laid into the empty working folder first: FILE.csv files are loaded into
# FILE.db with the data tool, anything else is copied as it is.
get_filename_component(_dir ${SCRIPT} DIRECTORY)
get_filename_component(_name ${SCRIPT} NAME_WE)
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
if(EXISTS ${_dir}/${_name}.data)
  file(GLOB _csv ${_dir}/${_name}.data/*.csv)
  foreach(_file IN LISTS _csv)
    get_filename_component(_data ${_file} NAME_WE)
    execute_process(COMMAND ${DATATOOL} load ${WORKDIR} ${_data} ${_file}
                    RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_VARIABLE _err)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "loading ${_file} failed: ${_err}")
    endif()
  endforeach()
  file(COPY ${_dir}/${_name}.data/ DESTINATION ${WORKDIR} PATTERN "*.csv" EXCLUDE)
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
