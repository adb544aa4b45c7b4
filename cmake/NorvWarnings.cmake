# Warnings are errors for the project's own code only (never for Qt, GoogleTest or system headers).
function(norv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
  # g++ 12 at -O3 reports overlapping copies inside std::string's own code that cannot happen
  # (a known false positive of its restrict analysis); it would stop every release build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# A library of one subsystem: every .cpp of the folder (subfolders excluded unless listed).
function(norv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} PUBLIC ${ARG_PUBLIC_DEPS})
  norv_warnings(${name})
endfunction()
