# Text window benchmark.
#  text_bench (Winelib, under Xvfb): NBX_Printf lines per second in a
#    400 x 300 window beside bare TextOutW + scroll + InvalidateRect, and the
#    ratio. Target run_text_bench runs it.
add_executable(text_bench WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/text_bench.cpp)
nubrix_link_program(text_bench)
set_target_properties(text_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_custom_target(run_text_bench
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml=
          xvfb-run -a -s "-screen 0 1280x1024x24" ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:text_bench>
  DEPENDS text_bench
  USES_TERMINAL VERBATIM)
