# Station control: its logic on its own, and the clients against Hamlib's
# real dummy daemons (rotctld -m 1, rigctld -m 1), which a fixture starts on
# free ports of 127.0.0.1 before those tests and stops by pid after them.
quillmere_add_test(control_tests
  SOURCES control/control_logic_test.cpp
  LIBS quillmere_control)

find_program(QUILLMERE_PYTHON3 python3 HINTS /usr/bin REQUIRED)
find_program(QUILLMERE_ROTCTLD rotctld)
find_program(QUILLMERE_RIGCTLD rigctld)
if(QUILLMERE_ROTCTLD AND QUILLMERE_RIGCTLD)
  set(daemons_state ${CMAKE_CURRENT_BINARY_DIR}/hamlib_daemons.txt)
  add_test(NAME hamlib_daemons_start
    COMMAND ${QUILLMERE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/control/hamlib_daemons.py start
            ${daemons_state})
  add_test(NAME hamlib_daemons_stop
    COMMAND ${QUILLMERE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/control/hamlib_daemons.py stop
            ${daemons_state})
  set_tests_properties(hamlib_daemons_start PROPERTIES FIXTURES_SETUP hamlib_daemons)
  set_tests_properties(hamlib_daemons_stop PROPERTIES FIXTURES_CLEANUP hamlib_daemons)

  add_executable(control_daemon_tests control/control_daemon_test.cpp)
  target_link_libraries(control_daemon_tests PRIVATE quillmere_control GTest::gtest
    GTest::gtest_main)
  target_compile_definitions(control_daemon_tests PRIVATE
    QUILLMERE_DAEMONS_STATE="${daemons_state}" QUILLMERE_ROTCTLD="${QUILLMERE_ROTCTLD}")
  # The daemons hold state (the rig's frequencies, the dish's position): one
  # test at a time on them.
  gtest_discover_tests(control_daemon_tests DISCOVERY_TIMEOUT 60
    PROPERTIES FIXTURES_REQUIRED hamlib_daemons RESOURCE_LOCK hamlib_daemons TIMEOUT 120)

  # The planner's panel, on the window's thread.
  if(TARGET quillmere_ui)
    quillmere_add_qtest(ui_station_control_test
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/control/ui_station_control_test.cpp
      LIBS quillmere_ui quillmere_control)
    target_compile_definitions(ui_station_control_test PRIVATE
      QUILLMERE_DAEMONS_STATE="${daemons_state}")
    set_tests_properties(ui_station_control_test PROPERTIES
      FIXTURES_REQUIRED hamlib_daemons RESOURCE_LOCK hamlib_daemons)
  endif()

  # The headless mode end to end, as an operator runs it.
  if(TARGET quillmere-report)
    add_test(NAME control_headless_test
      COMMAND ${QUILLMERE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/control/headless_test.py
              $<TARGET_FILE:quillmere-report> ${daemons_state})
    set_tests_properties(control_headless_test PROPERTIES
      FIXTURES_REQUIRED hamlib_daemons RESOURCE_LOCK hamlib_daemons TIMEOUT 120)
  endif()
endif()
