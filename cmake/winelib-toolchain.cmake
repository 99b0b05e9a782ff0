# Winelib toolchain: builds the Win32 program with wineg++ against Wine's
# user32/gdi32/... while linking glibc and libstdc++ (-mcygwin), so native
# Linux libraries such as OpenCV can share the executable.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER winegcc)
set(CMAKE_CXX_COMPILER wineg++)
set(CMAKE_C_FLAGS_INIT "-mcygwin")
set(CMAKE_CXX_FLAGS_INIT "-mcygwin")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mcygwin")
set(NUBRIX_WINELIB ON CACHE BOOL "Building as a Winelib program" FORCE)
