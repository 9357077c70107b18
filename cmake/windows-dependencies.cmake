# What the Windows cross build takes from the build machine rather than from
# the MinGW-w64 root: the header-only libraries, and GoogleTest built from
# Debian's sources with the same compiler. Debian's headers are reached through
# links of their own folders only, so that no header of the Linux C library
# comes into a Windows compilation.
set(morvick_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${morvick_host_headers})
foreach(folder nlohmann CLI)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing (scripts/deps.txt installs it)")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${morvick_host_headers}/${folder} SYMBOLIC)
endforeach()

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${morvick_host_headers})
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${morvick_host_headers})

if(MORVICK_BUILD_TESTS)
  set(MORVICK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${MORVICK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
