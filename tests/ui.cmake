# Tests of the main window (QtTest, run on Qt's offscreen platform). Only
# when the window is part of the build.
if(TARGET quillmere_ui)
  find_package(Qt6 REQUIRED COMPONENTS Test)

  # quillmere_add_qtest(NAME SOURCES... LIBS ...): one QtTest executable,
  # registered with ctest as one test, with the tests' data folder.
  function(quillmere_add_qtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_compile_definitions(${name} PRIVATE QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endfunction()

  # One executable a file, each on the window library:
  #   widgets: the custom controls; form: the designed form; window: the
  #   calculation bound to it; startup: placement, start-up and Exit;
  #   map_viewer, monkey (random use), display (the component writer);
  #   keyboard: keyboard-only use, the option panels' closing, accessibility
  #   and icons; desktop: names for assistive technology and the icon;
  #   scaling; spectrum: the spectrum and elevation view; planner: the Moon
  #   planner and Follow the Moon.
  foreach(t widgets form window startup map_viewer monkey display keyboard desktop scaling
            spectrum planner)
    quillmere_add_qtest(ui_${t}_test
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_${t}_test.cpp LIBS quillmere_ui)
  endforeach()
  # now: the "Now" strip and its compact window, over the planner's model.
  quillmere_add_qtest(ui_now_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_now_test.cpp LIBS quillmere_ui quillmere_planner_model)
  # The views library as the program loads it: this test links the main
  # window alone, as the program does, and puts libraries in the views
  # library's place that must be refused.
  quillmere_add_qtest(ui_view_loader_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_view_loader_test.cpp LIBS quillmere_main_window)
  add_library(view_library_stub_without_entry MODULE
    ${CMAKE_CURRENT_LIST_DIR}/support/view_library_stub.cpp)
  add_library(view_library_stub_other_version MODULE
    ${CMAKE_CURRENT_LIST_DIR}/support/view_library_stub.cpp)
  target_compile_definitions(view_library_stub_other_version PRIVATE QUILLMERE_STUB_ENTRY)
  add_dependencies(ui_view_loader_test quillmere_views view_library_stub_without_entry
    view_library_stub_other_version)
  target_compile_definitions(ui_view_loader_test PRIVATE
    QUILLMERE_VIEWS_LIBRARY="$<TARGET_FILE:quillmere_views>"
    QUILLMERE_STUB_WITHOUT_ENTRY="$<TARGET_FILE:view_library_stub_without_entry>"
    QUILLMERE_STUB_OTHER_VERSION="$<TARGET_FILE:view_library_stub_other_version>")
  # The keyboard test opens each window's help page from the built help file.
  if(TARGET quillmere_help)
    add_dependencies(ui_keyboard_test quillmere_help)
  endif()
  find_package(JPEG REQUIRED)
  quillmere_add_test(jpeg_file_tests SOURCES jpeg_file_test.cpp LIBS quillmere_jpeg JPEG::JPEG)
  # The keyboard test once more under a real window manager, where focus and
  # activation are the window manager's.
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/wm/with_openbox.sh)
    add_test(NAME ui_keyboard_test_openbox
      COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wm/with_openbox.sh $<TARGET_FILE:ui_keyboard_test>)
    set_tests_properties(ui_keyboard_test_openbox PROPERTIES LABELS wm TIMEOUT 180
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/wm/lsan.supp")
  endif()
endif()

# The form's slider ranges and selection items, from the component table
# generated from it, against the input limits.
quillmere_add_test(form_limits_tests SOURCES form_limits_test.cpp LIBS quillmere_app)

# The weather import: the main window's apply and the station panel against
# a stand-in server on 127.0.0.1.
if(TARGET quillmere_ui)
  quillmere_add_qtest(ui_weather_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_weather_test.cpp LIBS quillmere_ui)
endif()
