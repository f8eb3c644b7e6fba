# The default data file: the record codec, a save-and-load of the file, and
# the load of a 1 GiB file (target: at most 1 ms).
add_executable(storage_bench ${CMAKE_CURRENT_SOURCE_DIR}/storage_bench.cpp)
target_link_libraries(storage_bench PRIVATE quillmere_storage benchmark::benchmark_main)
