# The library on winsim with its unit tests at the product's width: i386
# Linux, linked statically so that qemu-i386 runs the tests without 32-bit
# system libraries (the kernel here refuses 32-bit programs).  GoogleTest is
# built from its sources at this width.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i386)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)
set(QR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built at this width")
