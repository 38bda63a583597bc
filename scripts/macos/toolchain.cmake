# Configures the build for macOS on a Linux machine, to compile every source as a Mac would
# (scripts/check-macos.sh). The compilers are given on the command line: Zig's clang with
# Apple's C library headers and libc++. Qt's headers are the machine's own; Qt for macOS is
# not to be had here, so nothing is linked (compile-only.cmake).
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 21.0) # macOS 12, the oldest the bundle runs on
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/compile-only.cmake)

# Qt's package files look for the system's OpenGL framework and Vulkan headers. Point them at
# an empty folder: otherwise they would add /usr/include, whose Linux headers would hide
# Apple's.
set(stub ${CMAKE_BINARY_DIR}/macos-stub)
file(MAKE_DIRECTORY ${stub}/OpenGL.framework)
file(TOUCH ${stub}/OpenGL.framework/OpenGL)
set(OPENGL_gl_LIBRARY ${stub}/OpenGL.framework/OpenGL CACHE FILEPATH "")
set(OPENGL_glu_LIBRARY ${stub}/OpenGL.framework/OpenGL CACHE FILEPATH "")
set(OPENGL_INCLUDE_DIR ${stub} CACHE PATH "")
set(Vulkan_INCLUDE_DIR ${stub} CACHE PATH "")
set(WrapOpenGL_AGL ${stub}/OpenGL.framework CACHE FILEPATH "")
