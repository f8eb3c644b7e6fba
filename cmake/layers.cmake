# The layer check's view of the build: every library and executable of the
# program (tests/ and bench/ left out), with its folder, its sources (headers
# included, which is how a header gets its owner) and the libraries it links,
# written to layer_targets.txt in the build tree when the build system is
# generated. tests/layers_check.py compares it, and the #include lines of
# every source, with the layer diagram in README.md (ctest label `layers`).
#
# Included once, at the end of the top-level CMakeLists.txt, so that every
# folder's targets exist: a new folder or library needs nothing here.

function(quillmere_collect_targets directory out)
  foreach(excluded tests bench)
    if(directory STREQUAL "${PROJECT_SOURCE_DIR}/${excluded}")
      set(${out} "" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  get_property(collected DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    quillmere_collect_targets(${subdirectory} more)
    list(APPEND collected ${more})
  endforeach()
  set(${out} ${collected} PARENT_SCOPE)
endfunction()

quillmere_collect_targets(${PROJECT_SOURCE_DIR} quillmere_layer_targets)
set(quillmere_layer_lines "")
foreach(target IN LISTS quillmere_layer_targets)
  get_target_property(type ${target} TYPE)
  if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|INTERFACE_LIBRARY|EXECUTABLE)$")
    continue()
  endif()
  get_target_property(source_dir ${target} SOURCE_DIR)
  get_target_property(binary_dir ${target} BINARY_DIR)
  # An interface library's own links are its interface; any other target's
  # are LINK_LIBRARIES, which holds the private ones too.
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(links "$<TARGET_PROPERTY:${target},INTERFACE_LINK_LIBRARIES>")
  else()
    set(links "$<TARGET_PROPERTY:${target},LINK_LIBRARIES>")
  endif()
  string(APPEND quillmere_layer_lines
    "target\t${target}\t${type}\t${source_dir}\t${binary_dir}\n"
    "sources\t$<JOIN:$<TARGET_PROPERTY:${target},SOURCES>,\t>\n"
    "links\t$<JOIN:${links},\t>\n")
endforeach()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/layer_targets.txt CONTENT "${quillmere_layer_lines}")

if(QUILLMERE_TESTS)
  find_program(QUILLMERE_PYTHON3 python3 HINTS /usr/bin REQUIRED)
  add_test(NAME layers
    COMMAND ${QUILLMERE_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/layers_check.py
            --readme ${PROJECT_SOURCE_DIR}/README.md
            --targets ${PROJECT_BINARY_DIR}/layer_targets.txt)
  # The check itself, on a made-up project with one fault at a time.
  add_test(NAME layers_check_test
    COMMAND ${QUILLMERE_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/layers_check_test.py)
  set_tests_properties(layers layers_check_test PROPERTIES LABELS layers)
endif()
