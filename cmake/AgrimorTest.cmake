# agrimor_add_test(NAME name SOURCES ... LIBS ...)
# One GoogleTest executable registered with CTest. Tests run with the offscreen platform, a
# fixed locale and time zone, and their own settings and data folders.
function(agrimor_add_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} agrimor_test_support GTest::gtest
                        agrimor_warnings)
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
  set_tests_properties(${ARG_NAME} PROPERTIES
    TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=Europe/Lisbon;LC_ALL=C.UTF-8;LANG=C.UTF-8")
endfunction()
