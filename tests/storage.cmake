# The default data file: the 10-byte real, the 288-byte record, reading and
# writing the file, and the range check of a loaded record; the bounded
# reader, the one writer and the placement file.
find_package(nlohmann_json 3 REQUIRED)
quillmere_add_test(storage_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_extended_real_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_record_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_file_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_range_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_regular_file_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_safe_write_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_placement_test.cpp
  LIBS quillmere_storage nlohmann_json::nlohmann_json)
target_include_directories(storage_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
