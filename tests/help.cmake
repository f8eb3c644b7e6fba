# Tests of the help: the reader of the compiled help file and its contents
# sitemap (GoogleTest), and the help window (QtTest, on Qt's offscreen
# platform). Both read the help file the build compiles (help/), and the
# window tests run the program's own lookup, which finds that file in the
# build's share folder: their executables live in tests/ of the build so
# that ../share is that folder.
if(TARGET quillmere_ui)
  find_package(Qt6 REQUIRED COMPONENTS Test)

  set(help_file "${CMAKE_BINARY_DIR}/share/Quillmere Attenuation.chm")

  quillmere_add_test(help_chm_file_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/help_chm_file_test.cpp LIBS quillmere_ui)

  add_executable(help_viewer_test ${CMAKE_CURRENT_LIST_DIR}/help_viewer_test.cpp)
  set_target_properties(help_viewer_test PROPERTIES AUTOMOC ON)
  target_link_libraries(help_viewer_test PRIVATE quillmere_ui Qt6::Test)
  target_include_directories(help_viewer_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  add_test(NAME help_viewer_test COMMAND help_viewer_test)
  set_tests_properties(help_viewer_test PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)

  # Hostile pages through the page view, held to their time and memory.
  add_executable(help_page_test ${CMAKE_CURRENT_LIST_DIR}/help_page_test.cpp)
  set_target_properties(help_page_test PROPERTIES AUTOMOC ON)
  target_link_libraries(help_page_test PRIVATE quillmere_ui Qt6::Test)
  # The pages the fuzzer once stopped on are kept among its seeds.
  target_compile_definitions(help_page_test PRIVATE
    QUILLMERE_HELP_PAGE_SEEDS="${CMAKE_SOURCE_DIR}/fuzz/corpus/fuzz_help_page")
  add_test(NAME help_page_test COMMAND help_page_test)
  set_tests_properties(help_page_test PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)

  foreach(t help_chm_file_test help_viewer_test)
    target_compile_definitions(${t} PRIVATE QUILLMERE_HELP_FILE="${help_file}"
      QUILLMERE_HELP_SOURCES="${CMAKE_SOURCE_DIR}/help")
    set_target_properties(${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  endforeach()

  # The help file comes from help/, which may be read after this file.
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL
    cmake_language EVAL CODE "
      if(TARGET quillmere_help)
        add_dependencies(help_chm_file_test quillmere_help)
        add_dependencies(help_viewer_test quillmere_help)
      endif()")
endif()

# What the help says enters the figures, and its list of Recommendations.
add_test(NAME help_sources_check
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/help_sources.cmake)
