add_executable(calculator_bench calculator_bench.cpp)
target_link_libraries(calculator_bench PRIVATE quillmere_app benchmark::benchmark_main)

# The Moon track with the ray-traced air: its tables and the fortnight.
add_executable(track_bench track_bench.cpp)
target_link_libraries(track_bench PRIVATE quillmere_planner_model benchmark::benchmark_main)
