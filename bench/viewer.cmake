# Movie viewer benchmarks.
#  viewer_bench (under Xvfb): on the 1080p long-GOP H.264 movie and
#    the MJPEG sample, frames/s of (a) raw decoding, (b) a bare decode +
#    convert + draw loop and (c) the viewer's own loop; stepping latencies,
#    processor use while paused and peak memory; resident memory over 10,000
#    frames. Target run_viewer_bench runs it.
#  viewer_bench_accuracy: how often "<", "> 10", ">>" and runs of
#    stepping land on the wrong frame in the samples (MJPEG, MPEG-4, H.264,
#    1080p H.264); with --check, the CTest test viewer_accuracy.
if(TARGET nbx_viewer_core)
  if(NUBRIX_WINELIB)
    # Processor time and memory as the host kernel counts them.
    set(NBX_HOST_STATS_OBJ ${CMAKE_CURRENT_BINARY_DIR}/host_stats.o)
    add_custom_command(
      OUTPUT ${NBX_HOST_STATS_OBJ}
      COMMAND ${NBX_HOST_CXX} -std=c++17 -O2 -fPIC -Wall -Wextra
              -c ${CMAKE_CURRENT_SOURCE_DIR}/host_stats.cpp -o ${NBX_HOST_STATS_OBJ}
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/host_stats.cpp ${CMAKE_CURRENT_SOURCE_DIR}/host_stats.h
      VERBATIM)
    set_source_files_properties(${NBX_HOST_STATS_OBJ} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  else()
    set(NBX_HOST_STATS_OBJ ${CMAKE_CURRENT_SOURCE_DIR}/host_stats.cpp)
  endif()
  add_executable(viewer_bench WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/viewer_bench.cpp ${NBX_HOST_STATS_OBJ})
  nubrix_link_program(viewer_bench)
  target_include_directories(viewer_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/wine)
  target_link_libraries(viewer_bench PRIVATE nbx_viewer_core nbx_test_harness)
  if(NOT NUBRIX_WINELIB)
    target_link_libraries(viewer_bench PRIVATE psapi)
  endif()
  set_target_properties(viewer_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  add_dependencies(viewer_bench nbx_sample_movies)

  # The accuracy report reads the movies through the build's own video
  # source: the host program in a Winelib build, a Windows one otherwise.
  set(NBX_ACCURACY ${PROJECT_BINARY_DIR}/viewer_bench_accuracy)
  if(NUBRIX_WINELIB)
    add_custom_command(
      OUTPUT ${NBX_ACCURACY}
      COMMAND ${NBX_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -I${NBX_OPENCV_INCLUDE} -I${PROJECT_SOURCE_DIR}
              ${CMAKE_CURRENT_SOURCE_DIR}/viewer_bench_accuracy.cpp ${PROJECT_SOURCE_DIR}/viewer/video_source.cpp
              -o ${NBX_ACCURACY} -pthread -lopencv_videoio -lopencv_core
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/viewer_bench_accuracy.cpp ${PROJECT_SOURCE_DIR}/viewer/video_source.cpp
              ${PROJECT_SOURCE_DIR}/viewer/viewer_logic.h ${PROJECT_SOURCE_DIR}/viewer/frame_cache.h
      VERBATIM)
    # The target is not named like the file it makes: Make would see a cycle.
    add_custom_target(nbx_viewer_bench_accuracy ALL DEPENDS ${NBX_ACCURACY})
    set(NBX_BENCH_EXE ${PROJECT_BINARY_DIR}/viewer_bench.exe)
  else()
    add_executable(nbx_viewer_bench_accuracy ${CMAKE_CURRENT_SOURCE_DIR}/viewer_bench_accuracy.cpp
                   ${PROJECT_SOURCE_DIR}/viewer/video_source.cpp)
    target_include_directories(nbx_viewer_bench_accuracy PRIVATE ${PROJECT_SOURCE_DIR} ${OpenCV_INCLUDE_DIRS})
    target_link_libraries(nbx_viewer_bench_accuracy PRIVATE ${OpenCV_LIBS})
    set_target_properties(nbx_viewer_bench_accuracy PROPERTIES OUTPUT_NAME viewer_bench_accuracy
                          RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
    set(NBX_ACCURACY ${CMAKE_CROSSCOMPILING_EMULATOR} ${NBX_ACCURACY}.exe)
    set(NBX_BENCH_EXE ${CMAKE_CROSSCOMPILING_EMULATOR} ${PROJECT_BINARY_DIR}/viewer_bench.exe)
  endif()

  # In the suite: every press on the build's own samples lands on its frame.
  if(NUBRIX_WINELIB)
    add_test(NAME viewer_accuracy COMMAND ${PROJECT_BINARY_DIR}/viewer_bench_accuracy --check
             ${PROJECT_BINARY_DIR}/testmovies 61)
  else()
    add_test(NAME viewer_accuracy COMMAND nbx_viewer_bench_accuracy --check ${PROJECT_BINARY_DIR}/testmovies 61)
  endif()
  set_tests_properties(viewer_accuracy PROPERTIES TIMEOUT 300
                       ENVIRONMENT "WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix;WINEDEBUG=-all")

  set(NBX_BENCH_RUN ${PROJECT_BINARY_DIR}/benchrun/viewer)
  file(MAKE_DIRECTORY ${NBX_BENCH_RUN})   # the run's working folder must exist first
  add_custom_target(run_viewer_bench
    COMMAND ${CMAKE_COMMAND} -E make_directory ${NBX_BENCH_RUN}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/movies/sample.avi
            ${PROJECT_BINARY_DIR}/testmovies/large_h264.avi ${NBX_BENCH_RUN}/
    COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
            WINEDLLOVERRIDES=mscoree,mshtml= NBX_TEST_BIN=${PROJECT_BINARY_DIR}
            xvfb-run -a -s "-screen 0 1280x1024x24" ${NBX_BENCH_EXE}
    COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDEBUG=-all
            ${NBX_ACCURACY} ${PROJECT_BINARY_DIR}/testmovies
    WORKING_DIRECTORY ${NBX_BENCH_RUN}
    DEPENDS viewer_bench nbx_viewer_bench_accuracy nbx_large_sample
    USES_TERMINAL VERBATIM)
endif()
