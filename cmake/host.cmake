# Linux build: unit tests against the fake platform.
find_package(GTest REQUIRED)
include(GoogleTest)

# Tells the sanitizer run's tests apart from the plain run's in one ctest summary.
set(VARNEL_TEST_PREFIX "" CACHE STRING "Prefix of the unit tests' names in ctest")

file(GLOB_RECURSE TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_executable(varnel_tests ${TEST_SOURCES})
target_include_directories(varnel_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(varnel_tests PRIVATE varnel_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(varnel_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
  TEST_PREFIX "${VARNEL_TEST_PREFIX}")

# Benchmarks that print figures (scripts/bench); built with the tests, never run by ctest.
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/CMakeLists.txt)
  add_subdirectory(tests/bench)
endif()
