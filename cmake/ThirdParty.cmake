# Third-party libraries: installed (zlib, GoogleTest sources) or built here from
# Debian's own source packages (hidapi, minizip), never copied into the tree.

set(THIRD_PARTY_SOURCES ${CMAKE_SOURCE_DIR}/build/_sources CACHE PATH
    "Where the fetched Debian source packages are unpacked (shared by all builds)")
execute_process(
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-sources.sh ${THIRD_PARTY_SOURCES}
  RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0)
  message(FATAL_ERROR "Fetching the hidapi and zlib source packages failed")
endif()

# hidapi: the Windows backend only; it loads hid.dll and cfgmgr32.dll at run time.
set(HIDAPI_SOURCE ${THIRD_PARTY_SOURCES}/hidapi)
add_library(hidapi STATIC ${HIDAPI_SOURCE}/windows/hid.c)
target_include_directories(hidapi
  PUBLIC ${HIDAPI_SOURCE}/hidapi
  PRIVATE ${HIDAPI_SOURCE}/windows)
# The header alone, for code that is linked against the simulated display.
add_library(hidapi_headers INTERFACE)
target_include_directories(hidapi_headers INTERFACE ${HIDAPI_SOURCE}/hidapi)

# zlib: Debian's mingw package; the static archive, not the DLL import library.
find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
add_library(zlib STATIC IMPORTED)
set_target_properties(zlib PROPERTIES IMPORTED_LOCATION ${ZLIB_STATIC})

# minizip: zlib's contrib/minizip, the reading half and its Win32 file layer.
set(MINIZIP_SOURCE ${THIRD_PARTY_SOURCES}/zlib/contrib/minizip)
add_library(minizip STATIC
  ${MINIZIP_SOURCE}/unzip.c ${MINIZIP_SOURCE}/ioapi.c ${MINIZIP_SOURCE}/iowin32.c)
target_include_directories(minizip PUBLIC ${MINIZIP_SOURCE})
target_link_libraries(minizip PUBLIC zlib)

foreach(lib hidapi minizip)
  set_target_properties(${lib} PROPERTIES C_STANDARD 11)
  target_compile_options(${lib} PRIVATE -w)
endforeach()

# GoogleTest from Debian's googletest package, built with this toolchain.
if(BUILD_TESTING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
