# Every file the program writes goes through one writer (storage/safe_write):
# it follows links, refuses FIFOs and devices, keeps protected files and hard
# links, and shows the old contents or the new, never a part. Any other way
# of writing a file in the program's sources fails this check, with the
# line that does it.
#
#   cmake -DSOURCE_DIR=<project root> -P one_writer.cmake
set(writer "storage/safe_write_posix.cpp")
set(forbidden
  "QSaveFile" "std::ofstream" "std::fstream" "fopen *\\(" "QIODevice::WriteOnly"
  "QIODevice::ReadWrite" "QIODevice::Append" "O_WRONLY" "O_RDWR" "O_CREAT" "pwrite *\\("
  "ftruncate *\\(" "[^a-z_]creat *\\(" "[^a-z_]rename *\\(" "renameat")
set(found "")
foreach(folder core models path storage app ui)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(source ${sources})
    if(source STREQUAL writer)
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines)
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      foreach(pattern ${forbidden})
        if(line MATCHES "${pattern}")
          string(APPEND found "  ${source}:${number}: ${line}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "files written outside ${writer}:\n${found}")
endif()
