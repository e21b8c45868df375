# Test helpers shared by every subsystem's tests/ folder.
if(ONDRIX_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# ondrix_add_test(NAME SOURCES ... LIBS ... [QT] [SERIAL] [LABELS ...])
# Builds one GoogleTest executable and registers its cases with ctest.
# QT: link the Qt-aware main (QApplication, offscreen platform when no display)
# instead of gtest_main. SERIAL: its cases run alone (they time what they hear).
function(ondrix_add_test name)
  if(NOT ONDRIX_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "QT;SERIAL" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ondrix_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  # Discovery at test time, so that building never runs a test binary.
  set(properties TIMEOUT 300)
  if(ARG_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
