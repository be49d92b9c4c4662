# MinSizeRel on MinGW: the release medium's programs and libraries as small as they get.
# The windows-x86 preset builds this configuration; the x64 helper programs it builds as projects
# of their own get it too (they include this file). Other configurations stay as they are.
#
# - Every function and object in a section of its own, and the linker drops what nothing uses;
#   -Os comes with the configuration itself; symbols are stripped.
# - No exceptions and no RTTI in our code (a try, throw, typeid or dynamic_cast does not compile
#   here). Nothing in it throws or catches; a failure the C++ runtime reports by throwing (a
#   length, an index, an empty std::function) ended the program before too, as nothing catches
#   it. The runtime's throwing helpers and its terminate handler (which demangles the
#   exception's type name for a console a window program does not have) are pointed at abort(),
#   so the exception classes, the copy-on-write string behind them and the demangler stay out.
#   operator new and its nothrow form are left as they are: the nothrow form must still answer a
#   failed allocation with a null pointer.
# - On i686 the unwind tables serve only C++ exceptions (DWARF unwinding), so our code has none.
#   On x86_64 they stay: Windows walks the stack with them.
# - Beside each linked program or library, <target name>.map (the link map) says what its size is
#   made of.
if(NOT MINGW)
  return()
endif()

set(_tq_small $<CONFIG:MinSizeRel>)
set(_tq_code $<AND:${_tq_small},$<COMPILE_LANGUAGE:C,CXX>>)
set(_tq_cxx $<AND:${_tq_small},$<COMPILE_LANGUAGE:CXX>>)
add_compile_options($<${_tq_code}:-ffunction-sections> $<${_tq_code}:-fdata-sections>
                    $<${_tq_cxx}:-fno-exceptions> $<${_tq_cxx}:-fno-rtti>)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options($<${_tq_code}:-fno-asynchronous-unwind-tables>)
  set(_tq_prefix "_")
else()
  set(_tq_prefix "")
endif()

# Mangled names: std::__throw_* (the runtime's functexcept.o and functional.o) and
# __gnu_cxx::__verbose_terminate_handler.
set(_tq_abort_aliases
  _ZSt16__throw_bad_castv _ZSt17__throw_bad_allocv _ZSt18__throw_bad_typeidv
  _ZSt19__throw_logic_errorPKc _ZSt19__throw_range_errorPKc _ZSt20__throw_domain_errorPKc
  _ZSt20__throw_length_errorPKc _ZSt20__throw_out_of_rangePKc _ZSt21__throw_bad_exceptionv
  _ZSt21__throw_runtime_errorPKc _ZSt22__throw_overflow_errorPKc
  _ZSt23__throw_underflow_errorPKc _ZSt24__throw_invalid_argumentPKc
  _ZSt24__throw_out_of_range_fmtPKcz _ZSt28__throw_bad_array_new_lengthv
  _ZSt25__throw_bad_function_callv
  _ZN9__gnu_cxx27__verbose_terminate_handlerEv)
set(_tq_link_options -Wl,--gc-sections -s -Wl,-Map=$<TARGET_PROPERTY:NAME>.map)
foreach(symbol ${_tq_abort_aliases})
  list(APPEND _tq_link_options -Wl,--defsym,${_tq_prefix}${symbol}=${_tq_prefix}abort)
endforeach()
foreach(option ${_tq_link_options})
  add_link_options($<${_tq_small}:${option}>)
endforeach()
unset(_tq_small)
unset(_tq_code)
unset(_tq_cxx)
unset(_tq_prefix)
unset(_tq_abort_aliases)
unset(_tq_link_options)
