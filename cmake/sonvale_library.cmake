# sonvale_library(<name> SOURCES ... [DEPS ...])
# A static library for one source folder. Its headers are included as
# "<folder>/<file>.h" from the src/ root.
function(sonvale_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(sonvale_${name} STATIC ${ARG_SOURCES})
  target_include_directories(sonvale_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(sonvale_${name} PUBLIC ${ARG_DEPS})
endfunction()

# sonvale_test(<name> SOURCES ... DEPS ...)
# A GoogleTest program registered with CTest, one CTest entry per test case.
function(sonvale_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  sonvale_sanitizer_suppressions(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()

# sonvale_sanitizer_suppressions(<target>)
# In a sanitizer build, builds in what that sanitizer must not report inside the
# system libraries; test programs and the player (which tests run) carry the same.
function(sonvale_sanitizer_suppressions target)
  if(SONVALE_SANITIZE MATCHES "thread")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/tsan_suppressions.cpp)
  endif()
  if(SONVALE_SANITIZE MATCHES "address")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/lsan_suppressions.cpp)
  endif()
endfunction()
