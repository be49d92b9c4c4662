# Lays the medium's Driver\ tree: placeholders by default, or a real driver package.
#   cmake -DMEDIUM=<dir> -DLIST=<placeholder-files.txt> -DPLACEHOLDERS=<dir> [-DPACKAGE=<dir>]
#         -DMONITOR_NT=<T8242LM.dll> -DMONITOR_9X=<T8249LM.dll> -P assemble.cmake
# PLACEHOLDERS holds placeholders with real contents (laid out like the medium), for the files
# that Windows reads on the way (setup information files); they replace the generic ones.
# MONITOR_NT and MONITOR_9X are the language monitors the build makes: real DLLs, because the
# spooler loads them.

# Puts `source` into `folder` as `name`, first removing files whose names differ from it only
# in letter case: this folder is on Linux, and Windows would see one of them at random.
function(place_file source folder name)
  string(TOLOWER "${name}" lower)
  file(GLOB present LIST_DIRECTORIES false "${folder}/*")
  foreach(f ${present})
    get_filename_component(n "${f}" NAME)
    string(TOLOWER "${n}" l)
    if(l STREQUAL lower AND NOT n STREQUAL name)
      file(REMOVE "${f}")
    endif()
  endforeach()
  configure_file("${source}" "${folder}/${name}" COPYONLY)
endfunction()

file(MAKE_DIRECTORY "${MEDIUM}/Driver/98" "${MEDIUM}/Driver/2KXP" "${MEDIUM}/Driver/Vista")
if(PACKAGE)
  if(NOT IS_DIRECTORY "${PACKAGE}")
    message(FATAL_ERROR "TQ_DRIVER_PACKAGE_DIR ${PACKAGE} is not a folder")
  endif()
  foreach(sub 98 2KXP Vista)
    if(IS_DIRECTORY "${PACKAGE}/${sub}")
      file(COPY "${PACKAGE}/${sub}/" DESTINATION "${MEDIUM}/Driver/${sub}")
    endif()
  endforeach()
  file(GLOB rootFiles LIST_DIRECTORIES false "${PACKAGE}/*")
  foreach(f ${rootFiles})
    file(COPY "${f}" DESTINATION "${MEDIUM}")
  endforeach()
  return()
endif()
file(COPY "${PLACEHOLDERS}/" DESTINATION "${MEDIUM}")
file(STRINGS "${LIST}" entries REGEX "^[^#]")
foreach(entry ${entries})
  if(entry MATCHES "^\\./(.*)")
    set(relative "${CMAKE_MATCH_1}")
  else()
    set(relative "Driver/${entry}")
  endif()
  # The folder in the text tells the copies of one name apart (2KXP's from Vista's).
  set(text "Placeholder for ${relative}: not a real driver file.\n")
  set(target "${MEDIUM}/${relative}")
  if(NOT EXISTS "${PLACEHOLDERS}/${relative}")
    set(old "")
    if(EXISTS "${target}")
      file(READ "${target}" old)
    endif()
    if(NOT old STREQUAL text)
      file(WRITE "${target}" "${text}")
    endif()
  endif()
endforeach()

place_file("${MONITOR_NT}" "${MEDIUM}/Driver/2KXP" T8242LM.dll)
place_file("${MONITOR_NT}" "${MEDIUM}/Driver/Vista" T8242LM.dll)
place_file("${MONITOR_9X}" "${MEDIUM}/Driver/98" T8249LM.dll)
place_file("${MONITOR_9X}" "${MEDIUM}" T8249LM.dll)
