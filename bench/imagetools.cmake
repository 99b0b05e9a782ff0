# Image tools benchmark.
#  imagetools_bench (Winelib, under Xvfb): flood fill, filled circle, the six
#    test patterns, invert and a quarter turn on a 1024 x 1024 32-bit image,
#    beside a plain loop writing every pixel (the floor).
#    Target run_imagetools_bench runs it.
add_executable(imagetools_bench WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/imagetools_bench.cpp)
nubrix_link_program(imagetools_bench)
target_include_directories(imagetools_bench PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(imagetools_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_custom_target(run_imagetools_bench
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml=
          xvfb-run -a -s "-screen 0 1280x1024x24" ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:imagetools_bench>
  DEPENDS imagetools_bench
  USES_TERMINAL VERBATIM)
