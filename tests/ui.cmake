# Tests of the main window (QtTest, run on Qt's offscreen platform). Only
# when the window is part of the build.
if(TARGET quillmere_ui)
  find_package(Qt6 REQUIRED COMPONENTS Test)

  # quillmere_add_qtest(NAME SOURCES... LIBS ...): one QtTest executable,
  # registered with ctest as one test.
  function(quillmere_add_qtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endfunction()

  quillmere_add_qtest(ui_widgets_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_widgets_test.cpp LIBS quillmere_ui)
  quillmere_add_qtest(ui_form_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_form_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_form_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  quillmere_add_qtest(ui_window_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_window_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_window_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  quillmere_add_qtest(ui_startup_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_startup_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_startup_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  find_package(JPEG REQUIRED)
  quillmere_add_test(jpeg_file_tests SOURCES jpeg_file_test.cpp LIBS quillmere_ui JPEG::JPEG)
  quillmere_add_qtest(ui_map_viewer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_map_viewer_test.cpp LIBS quillmere_ui)
  quillmere_add_qtest(ui_monkey_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_monkey_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_monkey_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  quillmere_add_qtest(ui_display_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_display_test.cpp LIBS quillmere_ui)
  # Keyboard-only use, the option panels' closing, accessibility and icons.
  quillmere_add_qtest(ui_keyboard_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_keyboard_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_keyboard_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  quillmere_add_qtest(ui_desktop_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_desktop_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_desktop_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  # The keyboard test once more under a real window manager, where focus and
  # activation are the window manager's.
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/wm/with_openbox.sh)
    add_test(NAME ui_keyboard_test_openbox
      COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wm/with_openbox.sh $<TARGET_FILE:ui_keyboard_test>)
    set_tests_properties(ui_keyboard_test_openbox PROPERTIES LABELS wm TIMEOUT 180
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/wm/lsan.supp")
  endif()
endif()

if(TARGET quillmere_ui)
  quillmere_add_qtest(ui_scaling_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_scaling_test.cpp LIBS quillmere_ui)
endif()

# The spectrum and elevation view.
if(TARGET quillmere_ui)
  quillmere_add_qtest(ui_spectrum_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_spectrum_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_spectrum_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
endif()

# The Moon planner and Follow the Moon.
if(TARGET quillmere_ui)
  quillmere_add_qtest(ui_planner_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_planner_test.cpp LIBS quillmere_ui)
  target_compile_definitions(ui_planner_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
endif()

# The form's slider ranges and selection items against the input limits.
if(TARGET quillmere_ui)
  quillmere_add_test(form_limits_tests SOURCES form_limits_test.cpp LIBS quillmere_core Qt6::Core)
  target_compile_definitions(form_limits_tests PRIVATE
    QUILLMERE_FORM="${PROJECT_SOURCE_DIR}/ui/tform1.ui")
endif()
