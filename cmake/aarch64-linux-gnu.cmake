# Cross build for 64-bit ARM Linux with Debian's cross compiler, run through
# qemu-user: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake.
# Libraries come from Debian's arm64 packages (libpng-dev:arm64,
# libgtest-dev:arm64), which live in the multiarch folders of the host.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Programs the build runs (tests, test discovery) go through qemu, which
# takes the ARM loader from the cross compiler's root. The C library must
# come from there too: the loader would otherwise find the arm64 C library
# of the multiarch folders, a slightly different release, and the two
# together hang in the first thread a program starts.
find_program(TESSIK_QEMU_AARCH64 qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSIK_QEMU_AARCH64} -L /usr/aarch64-linux-gnu
    -E LD_LIBRARY_PATH=/usr/aarch64-linux-gnu/lib)

# Tools such as pkg-config come from the host; libraries and CMake packages
# from the cross root and the arm64 multiarch folders.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
