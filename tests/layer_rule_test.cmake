# The layer check refuses each kind of wrong include with a message that
# names the rule: a layer reaching up (the worker into the app's control IDs,
# the device link into the worker) and an include through "../". A tree of
# one planted file each is made in the build folder and checked.
#   cmake -DRULE=<cmake/layer_rule.cmake> -DWORK=<scratch folder> -P layer_rule_test.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/worker/planted.cpp "#include \"worker/install_observer.h\"\n#include \"app/resource_ids.h\"\n")
file(WRITE ${WORK}/device/planted.cpp "#include \"worker/install_worker.h\"\n")
file(WRITE ${WORK}/progress/planted.cpp "#include \"../worker/include/worker/install_observer.h\"\n")
file(WRITE ${WORK}/attempt/allowed.cpp "#include \"progress/progress_view.h\"\n#include \"beside.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DRAVO_SOURCE_DIR=${WORK} -P ${RULE} RESULT_VARIABLE result
                ERROR_VARIABLE message)
string(REGEX REPLACE "[ \t\n]+" " " message "${message}")
if(result EQUAL 0)
  message(FATAL_ERROR "the planted includes passed the layer check")
endif()
foreach(expected
        "worker/planted.cpp: #include \"app/resource_ids.h\" breaks the layer rule: worker/ may include base, log, device, resources, not app/"
        "device/planted.cpp: #include \"worker/install_worker.h\" breaks the layer rule: device/ may include base, log, not worker/"
        "progress/planted.cpp: #include \"../worker/include/worker/install_observer.h\" climbs out of its folder")
  string(FIND "${message}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "missing from the check's message: ${expected}\nmessage: ${message}")
  endif()
endforeach()
foreach(unexpected "worker/install_observer.h\" breaks" "attempt/allowed.cpp")
  string(FIND "${message}" "${unexpected}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "an allowed include was refused: ${unexpected}\nmessage: ${message}")
  endif()
endforeach()
