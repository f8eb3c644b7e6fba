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
