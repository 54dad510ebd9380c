# The Windows DLL: real Win32 libraries, static runtime, undecorated exports.
target_compile_definitions(iisconfigure_objects PUBLIC UNICODE _UNICODE)
set_target_properties(iisconfigure PROPERTIES PREFIX "" OUTPUT_NAME iisconfigure)
target_link_libraries(iisconfigure PRIVATE ole32 advapi32 user32 uuid)
# No link time in the PE header, so that two builds of a commit give the same DLL.
target_link_options(iisconfigure PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # JNI looks up "Java_..." on 32-bit Windows too, not "_Java_...@8".
  target_link_options(iisconfigure PRIVATE -Wl,--kill-at)
endif()

# The JSON library is header-only, but /usr/include must never be on a mingw
# include path (glibc's headers would shadow mingw's): forward to its folder.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/windows-json)
file(CREATE_LINK /usr/include/nlohmann ${CMAKE_BINARY_DIR}/windows-json/nlohmann SYMBOLIC)
add_library(json_forward INTERFACE)
target_include_directories(json_forward INTERFACE ${CMAKE_BINARY_DIR}/windows-json)

# The Windows headers were most of each source's compile time: parsed once.
# The source that defines the GUIDs includes them its own way.
target_precompile_headers(iisconfigure_objects PRIVATE <objbase.h> <windows.h> <httpfilt.h> <iadmw.h> <iiscnfg.h>
  <string>)
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/metabase/guids.cpp PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
