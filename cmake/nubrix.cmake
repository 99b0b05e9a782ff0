# The file a built program runs from: a Winelib build writes name.exe (a
# launcher script) beside name.exe.so (the program), a Windows build name.exe.
if(NUBRIX_WINELIB)
  set(NUBRIX_PROGRAM_SUFFIX .exe.so)
else()
  set(NUBRIX_PROGRAM_SUFFIX .exe)
endif()

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
