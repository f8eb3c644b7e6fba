# Benchmarks of path/: the sun/moon component.
add_executable(sunmoon_bench sunmoon_bench.cpp)
target_link_libraries(sunmoon_bench PRIVATE quillmere_sunmoon benchmark::benchmark_main)
