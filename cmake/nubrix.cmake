# nubrix_add_program(<name> <sources...>)
#   Builds a user program (sources defining UserInit and UserMain) linked with
#   the NUBRIX framework into a runnable Windows GUI program.
function(nubrix_link_program name)
  target_sources(${name} PRIVATE $<TARGET_OBJECTS:nubrix_entry>)
  target_link_libraries(${name} PRIVATE nubrix)
  if(NUBRIX_WINELIB)
    target_link_options(${name} PRIVATE -mwindows)
    set_target_properties(${name} PROPERTIES SUFFIX .exe)
  endif()
endfunction()

function(nubrix_add_program name)
  add_executable(${name} WIN32 ${ARGN})
  nubrix_link_program(${name})
endfunction()
