# agrimor_add_test(NAME name [WIDGETS] [RECORDS_STATEMENTS] SOURCES ... LIBS ...)
# One GoogleTest executable registered with CTest. Tests run with the offscreen platform, a
# fixed locale and time zone, and their own settings and data folders (a user's own data folder
# that does not exist, so no test finds the developer's). WIDGETS gives the test a main that
# holds a QApplication and links Qt Test; without it GoogleTest's own main is used.
# RECORDS_STATEMENTS: the test runs the program's jobs on the ODBC path, and every statement its
# connections send is logged as SQL Server would receive it, for the T-SQL check (tests/tsql).
function(agrimor_add_test)
  cmake_parse_arguments(ARG "WIDGETS;RECORDS_STATEMENTS" "NAME" "SOURCES;LIBS" ${ARGN})
  if(ARG_WIDGETS)
    add_executable(${ARG_NAME} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/qt_main.cpp)
    target_link_libraries(${ARG_NAME} PRIVATE Qt6::Test)
  else()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} agrimor_test_support GTest::gtest
                        agrimor_warnings)
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
  set(environment "QT_QPA_PLATFORM=offscreen;TZ=Europe/Lisbon;LC_ALL=C.UTF-8;LANG=C.UTF-8"
      "XDG_DATA_HOME=${PROJECT_BINARY_DIR}/tests/no-data-home")
  if(ARG_RECORDS_STATEMENTS)
    list(APPEND environment "AGRIMOR_STATEMENT_LOG=${AGRIMOR_STATEMENT_LOG_DIR}")
    set_tests_properties(${ARG_NAME} PROPERTIES
      FIXTURES_REQUIRED tsql_log_cleared FIXTURES_SETUP tsql_statements)
  endif()
  set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 120 ENVIRONMENT "${environment}")
endfunction()
