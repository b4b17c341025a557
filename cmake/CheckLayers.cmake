# Checks that includes point down the layers of src/ (see the README's
# "Architecture"): a file may include its own folder's headers and those of
# the layers below. Run as: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
#
# The one include that points up, by design: keys/Utility.cpp takes the LED
# duty limits and the preset folders from model/Constants.h, the shared
# constant table (a header of constants that includes nothing of ours).

cmake_minimum_required(VERSION 3.25)

set(KELVADECK_LAYERS
  "base=0" "keys=1" "model=2" "macro=3" "device=4" "hid=5" "emulator=5" "focus=5"
  "core=6" "export=7" "screenlogic=7" "screens=8" "app=9" "cli=9" "presetgen=9")
set(KELVADECK_ALLOWED_UP "keys/Utility.cpp>model/Constants.h")

function(layer_rank name out)
  set(rank "")
  foreach(entry IN LISTS KELVADECK_LAYERS)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 layer)
    list(GET pair 1 value)
    if(layer STREQUAL name)
      set(rank ${value})
    endif()
  endforeach()
  set(${out} "${rank}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(violations "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  layer_rank("${folder}" own)
  if(own STREQUAL "")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^#include \"[a-z]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([a-z]+)/([^\"]+)\".*" "\\1" target "${line}")
    string(REGEX REPLACE "^#include \"([a-z]+/[^\"]+)\".*" "\\1" header "${line}")
    layer_rank("${target}" other)
    if(NOT other STREQUAL "" AND other GREATER own AND NOT "${file}>${header}" IN_LIST KELVADECK_ALLOWED_UP)
      list(APPEND violations "${file} includes ${header}")
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "includes that point up a layer:\n  ${text}")
endif()
message(STATUS "every include points down the layers")
