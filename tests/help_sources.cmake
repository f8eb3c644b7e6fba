# The help names the sources of every figure and says what enters what: the
# exact method's Recommendations are listed, and no page says that the
# station's height or its reference profile enter no figure at all.
# Run as: cmake -DSOURCE_DIR=<repository> -P help_sources.cmake
set(help "${SOURCE_DIR}/help")
file(READ "${help}/references.html" references)
foreach(rec "P.676-13" "P.453" "P.835-6")
  string(FIND "${references}" "${rec}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "references.html does not list ITU-R ${rec}")
  endif()
endforeach()
# Each page that speaks of the reference profile or the height must also
# speak of the exact method, which uses both.
foreach(page station-inputs.html totals.html reference-atmosphere.html)
  file(READ "${help}/${page}" text)
  string(FIND "${text}" "exact method" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${page} does not say what the exact method takes")
  endif()
endforeach()
foreach(claim "no other figure of the program uses them" "The height does not enter the attenuation.")
  foreach(page station-inputs.html totals.html reference-atmosphere.html)
    file(READ "${help}/${page}" text)
    string(FIND "${text}" "${claim}" at)
    if(NOT at EQUAL -1)
      message(SEND_ERROR "${page} still says: ${claim}")
    endif()
  endforeach()
endforeach()
