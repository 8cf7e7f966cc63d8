# Sets <result> to a message saying what is wrong with the cabinet at <path>,
# or to an empty string when it is a file that starts with "MSCF".
function(ravo_check_cabinet path result)
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    set(${result} "Installer package not found: ${path}" PARENT_SCOPE)
    return()
  endif()
  file(READ "${path}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "4d534346")
    set(${result} "Installer package is not a cabinet (it must start with \"MSCF\"): ${path}" PARENT_SCOPE)
    return()
  endif()
  set(${result} "" PARENT_SCOPE)
endfunction()
