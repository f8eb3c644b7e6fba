# Tests on a real window manager: QtTest executables run on a private X
# server under openbox (tests/wm/with_openbox.sh), labelled "wm". Only what
# a window manager does is tested here (frames, the close box, Alt+F4,
# maximising, the screen's available area); the rest runs offscreen.
if(TARGET quillmere_ui)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  set(QUILLMERE_WITH_OPENBOX ${CMAKE_CURRENT_LIST_DIR}/wm/with_openbox.sh)

  # quillmere_add_wm_test(NAME SOURCES... LIBS... SCREENS WxHxD...): one
  # QtTest executable, registered with ctest once per screen size as
  # NAME_WxH, each run under openbox on a screen of that size.
  function(quillmere_add_wm_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;SCREENS" ${ARGN})
    if(NOT T_SCREENS)
      set(T_SCREENS 1366x768x24)
    endif()
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    foreach(screen IN LISTS T_SCREENS)
      string(REGEX REPLACE "x[0-9]+$" "" size ${screen})
      add_test(NAME ${name}_${size}
        COMMAND ${QUILLMERE_WITH_OPENBOX} --screen ${screen} $<TARGET_FILE:${name}>)
      set_tests_properties(${name}_${size} PROPERTIES LABELS wm TIMEOUT 300
        ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/wm/lsan.supp")
    endforeach()
  endfunction()
endif()

if(TARGET quillmere_ui)
  # 1600 x 1200 is the one where the design size fits whole.
  quillmere_add_wm_test(ui_wm_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/wm/ui_wm_test.cpp LIBS quillmere_ui
    SCREENS 1024x768x24 1366x768x24 1600x1200x24)
  # The files a new user starts with.
  target_compile_definitions(ui_wm_test PRIVATE
    QUILLMERE_SHIPPED_DATA="${CMAKE_BINARY_DIR}/share/Quillmere.dat"
    QUILLMERE_SHIPPED_PLACEMENT="${PROJECT_SOURCE_DIR}/assets/QuillmereS.ini")
  add_dependencies(ui_wm_test quillmere_shipped_data)
endif()

# The spectrum view and the planner on screens of 768 rows.
if(TARGET quillmere_ui)
  quillmere_add_wm_test(ui_views_wm_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/wm/ui_views_wm_test.cpp LIBS quillmere_ui
    SCREENS 1024x768x24 1366x768x24)
  target_compile_definitions(ui_views_wm_test PRIVATE
    QUILLMERE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
endif()
