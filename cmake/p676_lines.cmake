# Turns the two spectroscopic line tables of ITU-R P.676-13 Annex 1 (CSV with
# a header row: f0 and six coefficients per line) into a C++ source of
# constant arrays, so the program carries the tables in its text and parses
# nothing at run time. Run as a script:
#
#   cmake -DOXYGEN=oxygen.csv -DVAPOUR=water_vapour.csv -DOUTPUT=lines.cpp
#         -P p676_lines.cmake
#
# A row that is not seven plain decimal numbers stops the build with the
# file and line, rather than compiling a table that is silently wrong.

function(p676_rows csv out_var count_var)
  file(STRINGS "${csv}" lines)
  list(LENGTH lines n)
  if(n LESS 2)
    message(FATAL_ERROR "${csv}: no line rows")
  endif()
  list(POP_FRONT lines)
  set(number "-?[0-9]+(\\.[0-9]*)?([eE][-+]?[0-9]+)?")
  set(body "")
  set(count 0)
  set(row 1)
  foreach(line IN LISTS lines)
    math(EXPR row "${row} + 1")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    string(REPLACE "," ";" fields "${line}")
    list(LENGTH fields nf)
    if(NOT nf EQUAL 7)
      message(FATAL_ERROR "${csv}:${row}: ${nf} fields, expected 7")
    endif()
    set(values "")
    foreach(field IN LISTS fields)
      string(STRIP "${field}" field)
      if(NOT field MATCHES "^${number}$")
        message(FATAL_ERROR "${csv}:${row}: '${field}' is not a number")
      endif()
      # Written as a double literal whatever the CSV's own form ("5", "5.").
      if(NOT field MATCHES "[.eE]")
        string(APPEND field ".0")
      endif()
      list(APPEND values "${field}")
    endforeach()
    list(JOIN values ", " joined)
    string(APPEND body "    {${joined}},\n")
    math(EXPR count "${count} + 1")
  endforeach()
  set(${out_var} "${body}" PARENT_SCOPE)
  set(${count_var} ${count} PARENT_SCOPE)
endfunction()

p676_rows("${OXYGEN}" oxygen n_oxygen)
p676_rows("${VAPOUR}" vapour n_vapour)

set(content "// Generated from the line tables of ITU-R P.676-13 Annex 1 by
// cmake/p676_lines.cmake. Do not edit; edit the CSV in assets/p676/.
#include <iterator>

#include \"itu676_13.h\"

namespace quillmere::p676_13 {
namespace {

// Table 1: f0 (GHz), a1 ... a6.
constexpr LineRow kOxygen[${n_oxygen}] = {
${oxygen}};

// Table 2: f0 (GHz), b1 ... b6.
constexpr LineRow kVapour[${n_vapour}] = {
${vapour}};

static_assert(std::size(kOxygen) == LineSpectrum::kOxygenLines);
static_assert(std::size(kVapour) == LineSpectrum::kVapourLines);

}  // namespace

std::span<const LineRow> OxygenLines() { return kOxygen; }
std::span<const LineRow> WaterVapourLines() { return kVapour; }

}  // namespace quillmere::p676_13
")

# Rewritten only when the content changes, so a re-run rebuilds nothing.
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${content}" @ONLY)
