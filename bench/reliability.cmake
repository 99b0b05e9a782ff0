# Exit benchmark.
#  exit_bench (Winelib, under Xvfb): 50 runs of each busy loop and of a
#    waiting line input, ended by Exit: slowest and mean time to the end of
#    the process, hangs, incomplete logs. Target run_exit_bench runs it.
add_executable(exit_bench WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/exit_bench.cpp)
nubrix_link_program(exit_bench)
target_link_libraries(exit_bench PRIVATE nbx_test_harness)
set_target_properties(exit_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
set(NBX_EXIT_BENCH_RUN ${PROJECT_BINARY_DIR}/benchrun/exit)
file(MAKE_DIRECTORY ${NBX_EXIT_BENCH_RUN})
add_custom_target(run_exit_bench
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml= NBX_TEST_BIN=${PROJECT_BINARY_DIR}
          xvfb-run -a -s "-screen 0 1280x1024x24" ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:exit_bench>
  WORKING_DIRECTORY ${NBX_EXIT_BENCH_RUN}
  DEPENDS exit_bench reliability_app
  USES_TERMINAL VERBATIM)
