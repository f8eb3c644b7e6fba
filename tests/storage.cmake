# The default data file: the 10-byte real, the 288-byte record, reading and
# writing the file, and the range check of a loaded record.
find_package(nlohmann_json 3 REQUIRED)
quillmere_add_test(storage_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_extended_real_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_record_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_file_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/storage_range_test.cpp
  LIBS quillmere_storage nlohmann_json::nlohmann_json)
