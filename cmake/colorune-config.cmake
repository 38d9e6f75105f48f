# find_package(colorune CONFIG) gives colorune::colorune, the shared library
# (what a C program links), and colorune::colorune_static, the static one (for
# C++ programs: it needs the C++ linker).
include(${CMAKE_CURRENT_LIST_DIR}/colorune-targets.cmake)
