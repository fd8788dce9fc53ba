# tumbleon_layer(NAME FOLDER SOURCES... [USES lib...] [PACKAGES target...])
#
# Makes the static library NAME from SOURCES. Its public include folder is
# ${CMAKE_BINARY_DIR}/layers/NAME, holding only a link FOLDER -> the source
# folder, so `#include "FOLDER/x.h"` works for NAME and whatever links it, and
# for nothing else. USES are the project libraries it may build on (public, so
# their headers come along); PACKAGES are outside libraries, kept private.
function(tumbleon_layer name folder)
  cmake_parse_arguments(PARSE_ARGV 2 layer "" "" "SOURCES;USES;PACKAGES")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  add_library(${name} STATIC ${layer_SOURCES})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${layer_USES} PRIVATE ${layer_PACKAGES})
endfunction()

# A test of the real game under Xvfb: `bash SCRIPT BUILD_DIR`, alone on the
# machine, with a time limit in seconds. Only in the normal build: under the
# sanitizers Mesa's own allocations would be reported as leaks. A macro:
# enable_testing must run in the calling folder's own scope.
macro(tumbleon_game_test name script timeout)
  if(TUMBLEON_TESTS AND NOT TUMBLEON_SANITIZE AND NOT TUMBLEON_FUZZ)
    enable_testing()
    add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/${script} ${CMAKE_BINARY_DIR} ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} RUN_SERIAL TRUE)
  endif()
endmacro()
