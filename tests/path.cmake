# Tests of path/: the sun/moon component and its UTC clock.

set(QUILLMERE_SUNMOON_TEST_SOURCES sunmoon_test.cpp utc_clock_test.cpp)
set(QUILLMERE_SUNMOON_TEST_LIBS quillmere_sunmoon)

# The Moon's distance is checked against the full ELP 2000-82B series of
# libnova (Debian: libnova-dev, installed by scripts/setup.sh).
find_path(QUILLMERE_NOVA_INCLUDE_DIR libnova/lunar.h)
find_library(QUILLMERE_NOVA_LIBRARY nova)
if(QUILLMERE_NOVA_INCLUDE_DIR AND QUILLMERE_NOVA_LIBRARY)
  list(APPEND QUILLMERE_SUNMOON_TEST_SOURCES sunmoon_reference_test.cpp)
  list(APPEND QUILLMERE_SUNMOON_TEST_LIBS ${QUILLMERE_NOVA_LIBRARY})
else()
  message(WARNING "libnova not found: the Moon distance is not checked against ELP 2000-82B. "
                  "Run scripts/setup.sh (package libnova-dev).")
endif()

quillmere_add_test(sunmoon_tests
  SOURCES ${QUILLMERE_SUNMOON_TEST_SOURCES}
  LIBS ${QUILLMERE_SUNMOON_TEST_LIBS})
if(QUILLMERE_NOVA_INCLUDE_DIR)
  target_include_directories(sunmoon_tests PRIVATE ${QUILLMERE_NOVA_INCLUDE_DIR})
endif()

# The Moon for two stations: locators, stations, degradation terms, and the
# tracker, whose directions are checked against libnova's full ELP 2000-82B.
quillmere_add_test(moon_track_tests
  SOURCES maidenhead_test.cpp stations_test.cpp eme_degradation_test.cpp moon_track_test.cpp
  LIBS quillmere_moon_track)
target_include_directories(moon_track_tests PRIVATE ${QUILLMERE_ERFA_INCLUDE_DIR})
if(QUILLMERE_NOVA_INCLUDE_DIR AND QUILLMERE_NOVA_LIBRARY)
  quillmere_add_test(moon_track_reference_tests
    SOURCES moon_track_reference_test.cpp
    LIBS quillmere_moon_track ${QUILLMERE_NOVA_LIBRARY} ${QUILLMERE_ERFA_LIBRARY})
  target_include_directories(moon_track_reference_tests PRIVATE
    ${QUILLMERE_NOVA_INCLUDE_DIR} ${QUILLMERE_ERFA_INCLUDE_DIR})
endif()
