# One interface target carries the language level, the warnings and the sanitizer switches;
# every other target links it, so no flag is repeated per target.
add_library(phonedir_options INTERFACE)
target_compile_features(phonedir_options INTERFACE cxx_std_20)
target_compile_options(phonedir_options INTERFACE -Wall -Wextra -Werror)
# GCC 12 reports -Wrestrict on ordinary std::string concatenation when optimising (a known
# false positive inside libstdc++); it would fail every release build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(phonedir_options INTERFACE -Wno-restrict)
endif()
target_include_directories(phonedir_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(PHONEDIR_SANITIZE)
  string(REPLACE "," ";" _sanitizers "${PHONEDIR_SANITIZE}")
  foreach(_s IN LISTS _sanitizers)
    if(NOT _s MATCHES "^(address|undefined|thread)$")
      message(FATAL_ERROR "Unknown sanitizer '${_s}'")
    endif()
  endforeach()
  target_compile_options(phonedir_options INTERFACE -fsanitize=${PHONEDIR_SANITIZE}
                                                    -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(phonedir_options INTERFACE -fsanitize=${PHONEDIR_SANITIZE})
endif()
