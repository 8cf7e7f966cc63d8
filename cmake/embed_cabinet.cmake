# Build step: copies the chosen cabinet to the file the resource script
# embeds, refusing anything that is not a cabinet.
#   cmake -DSOURCE=<cab> -DDEST=<package.cab> -P embed_cabinet.cmake
include(${CMAKE_CURRENT_LIST_DIR}/cabinet_check.cmake)
ravo_check_cabinet("${SOURCE}" problem)
if(problem)
  message(FATAL_ERROR "${problem}")
endif()
file(COPY_FILE "${SOURCE}" "${DEST}" ONLY_IF_DIFFERENT)
