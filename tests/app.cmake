quillmere_add_test(calculator_tests SOURCES calculator_test.cpp station_steps_test.cpp
  LIBS quillmere_app)
target_include_directories(calculator_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
quillmere_add_test(default_data_tests SOURCES default_data_test.cpp record_state_test.cpp
  LIBS quillmere_defaults)
target_include_directories(default_data_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

# The track's ray-traced air.
quillmere_add_test(track_air_tests SOURCES track_air_test.cpp
  LIBS quillmere_planner_model nlohmann_json::nlohmann_json)

# The whole recalculation against the reference cases of an independent
# implementation (tests/data/reference).
quillmere_add_test(recalc_reference_tests SOURCES recalc_reference_test.cpp
  LIBS quillmere_defaults nlohmann_json::nlohmann_json)
target_include_directories(recalc_reference_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

# Follow the Moon's minutes, without the window.
quillmere_add_test(moon_follow_tests SOURCES moon_follow_test.cpp LIBS quillmere_planner_model)

# The planner's model: its stations file, its request and its output columns.
quillmere_add_test(planner_model_tests SOURCES planner_model_test.cpp now_test.cpp
  LIBS quillmere_planner_model nlohmann_json::nlohmann_json)
