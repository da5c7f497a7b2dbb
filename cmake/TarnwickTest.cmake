# tarnwick_add_test(<name> [QT] SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One GoogleTest binary whose cases ctest lists one by one. With QT its main is
# tests/support/qt_test_main.cpp, which makes the QApplication (windows, the port's socket
# notifiers and the event loop need one) on the offscreen platform, so no display is needed.
function(tarnwick_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tarnwick_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${ARG_LABELS}")
endfunction()
