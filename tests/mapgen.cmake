# Tests of the cloud-map generator (assets/mapgen): the ITU-R P.840-4 grid
# reader and its interpolation, the coastline reader, the colour scale, and
# the six maps as the build draws them.
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH QUILLMERE_MAPGEN_ROOT)
quillmere_add_test(mapgen_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/mapgen_grid_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mapgen_coastlines_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mapgen_colour_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mapgen_render_test.cpp
  LIBS quillmere_mapgen)
target_compile_definitions(mapgen_tests PRIVATE
  QUILLMERE_P840_DIR="${QUILLMERE_MAPGEN_ROOT}/assets/p840"
  QUILLMERE_COASTLINES="${QUILLMERE_MAPGEN_ROOT}/assets/coastlines/coastlines_gshhg_l.txt"
  QUILLMERE_MAP_DIR="${CMAKE_BINARY_DIR}/share")
# The map tests read the maps that the build draws.
add_dependencies(mapgen_tests quillmere_cloud_maps)
