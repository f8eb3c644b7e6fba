# Compiles the help project into "Quillmere Attenuation.chm" with chmcmd.
#
#   cmake -DCHMCMD=... -DPROJECT_FILE=.../quillmere.hhp -DWORK_DIR=...
#         -DOUTPUT=.../share/Quillmere\ Attenuation.chm -P compile_help.cmake
#
# chmcmd reads the project's files relative to the .hhp and writes the help
# file relative to its working folder. It leaves out, without a word, a page
# or picture that a link names in another case than the file has, and it
# exits 0 even after printing "Error:". So, first, every file the project,
# the contents, the index and the pages name must exist under exactly that
# name (and every "#anchor" in its page); then chmcmd's output must be free
# of errors. Only then is the help file copied to OUTPUT.

cmake_minimum_required(VERSION 3.25)

foreach(var CHMCMD PROJECT_FILE WORK_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compile_help.cmake: ${var} not given")
  endif()
endforeach()

get_filename_component(help_dir "${PROJECT_FILE}" DIRECTORY)
set(problems "")

# Percent escapes (%20 and the like) decoded, as a browser does before it
# asks for a file.
function(percent_decode in out)
  set(text "${in}")
  set(result "")
  while(text MATCHES "^([^%]*)%([0-9A-Fa-f][0-9A-Fa-f])(.*)$")
    math(EXPR code "0x${CMAKE_MATCH_2}")
    string(ASCII ${code} char)
    string(APPEND result "${CMAKE_MATCH_1}${char}")
    set(text "${CMAKE_MATCH_3}")
  endwhile()
  set(${out} "${result}${text}" PARENT_SCOPE)
endfunction()

# Checks one reference `ref` made by `from` (a file of the help folder).
function(check_reference from ref)
  if(ref STREQUAL "" OR ref MATCHES "^(https?|mailto|ftp):")
    return()
  endif()
  set(anchor "")
  if(ref MATCHES "^([^#]*)#(.*)$")
    set(ref "${CMAKE_MATCH_1}")
    set(anchor "${CMAKE_MATCH_2}")
  endif()
  if(ref STREQUAL "")
    set(target "${from}")
  else()
    percent_decode("${ref}" ref)
    get_filename_component(from_dir "${from}" DIRECTORY)
    set(target "${from_dir}/${ref}")
    cmake_path(NORMAL_PATH target)
  endif()
  file(RELATIVE_PATH shown_from "${help_dir}" "${from}")
  # Compares the real name on disk, so that a difference of case shows even
  # on a file system that ignores it.
  get_filename_component(target_dir "${target}" DIRECTORY)
  get_filename_component(target_name "${target}" NAME)
  file(GLOB siblings RELATIVE "${target_dir}" "${target_dir}/*")
  if(NOT target_name IN_LIST siblings)
    set(problems "${problems}\n  ${shown_from}: \"${ref}\" names no file of this help" PARENT_SCOPE)
    return()
  endif()
  if(NOT anchor STREQUAL "")
    file(READ "${target}" page)
    string(FIND "${page}" "name=\"${anchor}\"" at)
    if(at EQUAL -1)
      set(problems "${problems}\n  ${shown_from}: no anchor \"${anchor}\" in \"${ref}\""
          PARENT_SCOPE)
    endif()
  endif()
endfunction()

# The project: its [FILES] and the files its [OPTIONS] name.
file(STRINGS "${PROJECT_FILE}" project_lines)
set(section "")
set(listed "")
set(compiled "")
foreach(line IN LISTS project_lines)
  string(STRIP "${line}" line)
  if(line MATCHES "^\\[(.*)\\]$")
    set(section "${CMAKE_MATCH_1}")
  elseif(line STREQUAL "" OR line MATCHES "^;")
  elseif(section STREQUAL "FILES")
    list(APPEND listed "${line}")
    check_reference("${PROJECT_FILE}" "${line}")
  elseif(section STREQUAL "OPTIONS" AND line MATCHES "^(Contents file|Index file|Default topic)=(.*)$")
    check_reference("${PROJECT_FILE}" "${CMAKE_MATCH_2}")
  elseif(section STREQUAL "OPTIONS" AND line MATCHES "^Compiled file=(.*)$")
    set(compiled "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(compiled STREQUAL "")
  message(FATAL_ERROR "${PROJECT_FILE}: no \"Compiled file=\" in [OPTIONS]")
endif()

# Every page is in the project, and every link of a page, the contents and
# the index leads somewhere.
file(GLOB_RECURSE pages RELATIVE "${help_dir}" "${help_dir}/*.html")
foreach(page IN LISTS pages)
  if(NOT page IN_LIST listed)
    set(problems "${problems}\n  quillmere.hhp: the page \"${page}\" is not in [FILES]")
  endif()
  file(READ "${help_dir}/${page}" text)
  string(REGEX MATCHALL "(href|src)=\"[^\"]*\"" refs "${text}")
  foreach(ref IN LISTS refs)
    string(REGEX REPLACE "^(href|src)=\"([^\"]*)\"$" "\\2" ref "${ref}")
    check_reference("${help_dir}/${page}" "${ref}")
  endforeach()
endforeach()
file(GLOB sitemaps "${help_dir}/*.hhc" "${help_dir}/*.hhk")
foreach(sitemap IN LISTS sitemaps)
  file(READ "${sitemap}" text)
  string(REGEX MATCHALL "<param name=\"Local\" value=\"[^\"]*\"" refs "${text}")
  foreach(ref IN LISTS refs)
    string(REGEX REPLACE "^.*value=\"([^\"]*)\"$" "\\1" ref "${ref}")
    check_reference("${sitemap}" "${ref}")
  endforeach()
endforeach()

if(NOT problems STREQUAL "")
  message(FATAL_ERROR "The help refers to files it does not have:${problems}")
endif()

# chmcmd, with its output read for errors.
file(MAKE_DIRECTORY "${WORK_DIR}")
file(REMOVE "${WORK_DIR}/${compiled}")
execute_process(COMMAND "${CHMCMD}" "${PROJECT_FILE}"
  WORKING_DIRECTORY "${WORK_DIR}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
string(STRIP "${output}" output)
if(NOT output STREQUAL "")
  message("${output}")
endif()
if(NOT status EQUAL 0 OR output MATCHES "Error:" OR output MATCHES "exception"
   OR NOT EXISTS "${WORK_DIR}/${compiled}")
  message(FATAL_ERROR "chmcmd could not compile the help (exit status ${status}).")
endif()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(COPY_FILE "${WORK_DIR}/${compiled}" "${OUTPUT}")
