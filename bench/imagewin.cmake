# Image window benchmark.
#  image_bench (Winelib, under Xvfb): NBX_DrawImage calls per second at 100 %
#    and 200 % beside a bare BitBlt / StretchBlt, and their ratios.
#    Target run_image_bench runs it.
add_executable(image_bench WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/image_bench.cpp)
nubrix_link_program(image_bench)
target_include_directories(image_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_include_directories(image_bench PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(image_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_custom_target(run_image_bench
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml=
          xvfb-run -a -s "-screen 0 1280x1024x24" ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:image_bench>
  DEPENDS image_bench
  USES_TERMINAL VERBATIM)
