# Cost of the window's side of a recalculation (Qt's offscreen platform).
if(TARGET quillmere_ui)
  add_executable(ui_bench ${CMAKE_CURRENT_LIST_DIR}/ui_bench.cpp)
  target_link_libraries(ui_bench PRIVATE quillmere_ui benchmark::benchmark)
  target_compile_definitions(ui_bench PRIVATE
    QUILLMERE_BENCH_DATA="${PROJECT_SOURCE_DIR}/tests/data/records")
endif()

# The Moon planner's charts redrawn for a fortnight of minutes.
if(TARGET quillmere_ui)
  add_executable(planner_bench ${CMAKE_CURRENT_LIST_DIR}/planner_bench.cpp)
  target_link_libraries(planner_bench PRIVATE quillmere_ui benchmark::benchmark)
  target_compile_definitions(planner_bench PRIVATE
    QUILLMERE_BENCH_DATA="${PROJECT_SOURCE_DIR}/tests/data/records")
endif()

# From the weather service's reply to the figures applied and recalculated.
if(TARGET quillmere_ui)
  add_executable(weather_bench ${CMAKE_CURRENT_LIST_DIR}/weather_bench.cpp)
  target_link_libraries(weather_bench PRIVATE quillmere_ui benchmark::benchmark)
  target_compile_definitions(weather_bench PRIVATE
    QUILLMERE_BENCH_RECORDS="${PROJECT_SOURCE_DIR}/tests/data/records"
    QUILLMERE_BENCH_WEATHER="${PROJECT_SOURCE_DIR}/tests/data/weather")
endif()
