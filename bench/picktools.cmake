# Pick tool benchmark.
#  picktools_bench (Winelib, under Xvfb): programs waiting in a pick tool
#    (PickPoint from the user program, the menu's Draw Box after one click):
#    processor use while they wait, then the time Exit takes to end them,
#    hangs and incomplete logs. Target run_picktools_bench runs it.
# pick_app: the user program it starts, waiting in a pick tool.
nubrix_add_program(pick_app ${CMAKE_CURRENT_SOURCE_DIR}/pick_app.cpp)
set_target_properties(pick_app PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_executable(picktools_bench WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/picktools_bench.cpp)
nubrix_link_program(picktools_bench)
target_link_libraries(picktools_bench PRIVATE nbx_test_harness)
set_target_properties(picktools_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
set(NBX_PICK_BENCH_RUN ${PROJECT_BINARY_DIR}/benchrun/picktools)
file(MAKE_DIRECTORY ${NBX_PICK_BENCH_RUN})
add_custom_target(run_picktools_bench
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml= NBX_TEST_BIN=${PROJECT_BINARY_DIR}
          xvfb-run -a -s "-screen 0 1280x1024x24" ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:picktools_bench>
  WORKING_DIRECTORY ${NBX_PICK_BENCH_RUN}
  DEPENDS picktools_bench pick_app
  USES_TERMINAL VERBATIM)
