# Compile settings shared by every target of our own.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
target_compile_options(project_options INTERFACE -Wall -Wextra -Werror)
# A shared libgcc too, so that an exception thrown in one module unwinds into another.
target_link_options(project_options INTERFACE -shared-libgcc)
target_compile_definitions(project_options INTERFACE
  UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)

# The program, the UI library and the tests share one C++ runtime: the DLL
# builds of libstdc++, libgcc and winpthread, copied beside the binaries.
set(RUNTIME_DLL_NAMES libstdc++-6.dll libwinpthread-1.dll)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  list(APPEND RUNTIME_DLL_NAMES libgcc_s_dw2-1.dll)
else()
  list(APPEND RUNTIME_DLL_NAMES libgcc_s_seh-1.dll)
endif()
set(RUNTIME_DLLS)
foreach(dll ${RUNTIME_DLL_NAMES})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}")
    find_file(path_${dll} ${dll} PATHS /usr/${MINGW_TRIPLE}/lib NO_DEFAULT_PATH REQUIRED)
    set(path ${path_${dll}})
  endif()
  list(APPEND RUNTIME_DLLS ${path})
endforeach()
set(copied)
foreach(path ${RUNTIME_DLLS})
  get_filename_component(name ${path} NAME)
  add_custom_command(OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${path} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}
    DEPENDS ${path})
  list(APPEND copied ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
endforeach()
add_custom_target(runtime_dlls ALL DEPENDS ${copied})

# Links a target of ours against the shared runtime and the project settings.
function(project_target target)
  target_link_libraries(${target} PRIVATE project_options)
  add_dependencies(${target} runtime_dlls)
endfunction()
