# The command line, quillmere-report: its option reader and each mode's
# options and run without the process around them.
quillmere_add_test(cli_tests
  SOURCES cli_options_test.cpp cli_spectrum_test.cpp track_command_test.cpp
  LIBS quillmere_cli nlohmann_json::nlohmann_json)

# The headless report tool, run as a child process the way a user runs it:
# its JSON and sheet for a known data file and moment, its failures, its exit
# statuses, and that it writes no file.
if(TARGET quillmere-report)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(report_test ${CMAKE_CURRENT_LIST_DIR}/report_test.cpp)
  set_target_properties(report_test PROPERTIES AUTOMOC ON)
  target_link_libraries(report_test PRIVATE Qt6::Test)
  target_compile_definitions(report_test PRIVATE
    QUILLMERE_REPORT_TOOL="$<TARGET_FILE:quillmere-report>"
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  # The test runs the tool: building the test builds the tool.
  add_dependencies(report_test quillmere-report)
  add_test(NAME report_test COMMAND report_test)
endif()

# --current-weather against a stand-in for the weather service on 127.0.0.1,
# one case per answer it can give.
if(TARGET quillmere-report)
  find_program(QUILLMERE_PYTHON3 python3 HINTS /usr/bin REQUIRED)
  add_test(NAME current_weather_test
    COMMAND ${QUILLMERE_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/current_weather_test.py
            $<TARGET_FILE:quillmere-report>)
endif()
quillmere_add_test(weather_tests SOURCES weather_test.cpp
  LIBS quillmere_weather nlohmann_json::nlohmann_json)
