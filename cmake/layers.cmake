# Each layer's users see only the folders they may include. A target's
# include directory is a folder of its own holding links to just those
# layers, so an include that runs against the layers (the worker reaching
# into the dialog, the device link into the worker) does not compile.
#   ravo_layers(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...)
function(ravo_layers target scope)
  set(dir ${CMAKE_BINARY_DIR}/layers/${target}-${scope})
  file(MAKE_DIRECTORY ${dir})
  foreach(layer IN LISTS ARGN)
    if(NOT EXISTS ${dir}/${layer})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${layer} ${dir}/${layer} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${dir})
endfunction()
