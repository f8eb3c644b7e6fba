# Benchmarks of path/: the sun/moon component.
add_executable(sunmoon_bench sunmoon_bench.cpp)
target_link_libraries(sunmoon_bench PRIVATE quillmere_sunmoon benchmark::benchmark_main)

# The Moon planner's 14-day table for two stations.
add_executable(moon_track_bench moon_track_bench.cpp)
target_link_libraries(moon_track_bench PRIVATE quillmere_moon_track benchmark::benchmark_main)
