# Fails when LIBRARY does not export each of NAMES by exactly that name.
#   cmake -DOBJDUMP=<objdump> -DLIBRARY=<dll> -DNAMES=<a;b;...> -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed")
endif()
foreach(name ${NAMES})
  if(NOT dump MATCHES "\\][ \t]+${name}\n")
    message(FATAL_ERROR "${LIBRARY} does not export ${name} by that exact name")
  endif()
endforeach()
