# The layer rule: which folder's code may include which folder's headers, and
# the check that holds every source to it. A folder includes its own headers
# and those of the folders listed after it; "resources" is the texts and
# versions (resources/include), while the dialogs' control IDs belong to app/.
# An include through "../" is refused everywhere: a header is reached through
# its layer's include root, or lies beside the source that includes it.
#
# Run at configure time (include() and ravo_check_layers()), on every build
# (the layer_check target) and as a test:
#   cmake -DRAVO_SOURCE_DIR=<source folder> -P cmake/layer_rule.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_policy(VERSION 3.25)
endif()

set(RAVO_LAYER_RULE
    "base:"
    "log:base"
    "device:base log"
    "worker:base log device resources"
    "progress:base log device worker resources"
    "attempt:base log device worker progress"
    "unattended:base log device worker progress attempt resources"
    "sim:base log device"
    "app:base log device worker progress attempt unattended resources"
    "tests:base log device worker progress attempt unattended resources sim"
    "bench:base log device worker progress attempt unattended resources sim tests")

function(ravo_check_layers source_dir)
  set(layers "")
  foreach(entry IN LISTS RAVO_LAYER_RULE)
    string(REGEX REPLACE ":.*" "" layer "${entry}")
    list(APPEND layers ${layer})
  endforeach()
  set(broken "")
  foreach(entry IN LISTS RAVO_LAYER_RULE)
    string(REGEX REPLACE ":.*" "" layer "${entry}")
    string(REGEX REPLACE "^[^:]*:" "" allowed "${entry}")
    separate_arguments(allowed)
    list(JOIN allowed ", " allowed_text)
    if(allowed_text STREQUAL "")
      set(allowed_text "nothing of the program's")
    endif()
    file(GLOB_RECURSE sources RELATIVE ${source_dir} ${source_dir}/${layer}/*.h ${source_dir}/${layer}/*.cpp
         ${source_dir}/${layer}/*.rc)
    foreach(source IN LISTS sources)
      file(STRINGS ${source_dir}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
        if(included MATCHES "(^|/)\\.\\./")
          string(APPEND broken "\n  ${source}: #include \"${included}\" climbs out of its folder; "
                 "the layer rule reaches a header only through its layer's include root or beside its source")
          continue()
        endif()
        if(NOT included MATCHES "/")
          continue()  # beside the source
        endif()
        string(REGEX REPLACE "/.*" "" target_layer "${included}")
        if(target_layer STREQUAL layer OR NOT target_layer IN_LIST layers)
          continue()
        endif()
        if(NOT target_layer IN_LIST allowed)
          string(APPEND broken "\n  ${source}: #include \"${included}\" breaks the layer rule: "
                 "${layer}/ may include ${allowed_text}, not ${target_layer}/")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(NOT broken STREQUAL "")
    message(FATAL_ERROR "Layer rule (cmake/layer_rule.cmake) broken:${broken}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND RAVO_SOURCE_DIR)
  ravo_check_layers(${RAVO_SOURCE_DIR})
endif()
