# Warnings are errors for our own code; third-party code is added without these.
function(tq_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# After each build of `target`, fail when it imports a function an older Windows it must start on
# lacks (check_imports.cmake has the lists).
function(tq_check_imports target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check_imports.cmake
    VERBATIM)
endfunction()

option(TQ_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TQ_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
