# The Java class, the JNI header javac makes from it, and the JNI headers
# for the platform being built.
find_package(Java 17 REQUIRED COMPONENTS Development Runtime)
include(UseJava)

get_filename_component(JAVAC_REAL "${Java_JAVAC_EXECUTABLE}" REALPATH)
get_filename_component(JDK_HOME "${JAVAC_REAL}" DIRECTORY)
get_filename_component(JDK_HOME "${JDK_HOME}" DIRECTORY)
set(JDK_INCLUDE "${JDK_HOME}/include")

# The tools' libraries, from the system's jars; the product jar needs neither,
# and the tools are built only beside the simulated host.
if(NOT WIN32)
  find_jar(GSON_JAR NAMES gson)
  find_jar(PICOCLI_JAR NAMES picocli)
  if(NOT GSON_JAR OR NOT PICOCLI_JAR)
    message(FATAL_ERROR "the tools need Gson and picocli: scripts/install-deps.sh tools")
  endif()
endif()

# Parameter names are kept for the command line's usage lines.
set(CMAKE_JAVA_COMPILE_FLAGS -parameters)
file(GLOB IISCONFIGURE_JAVA_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/java/src/com/vantora/adminserver/helper/ws/*.java)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/java/manifest.txt.in ${CMAKE_BINARY_DIR}/iisconfigure-manifest.txt @ONLY)
add_jar(iisconfigure_java
  SOURCES ${IISCONFIGURE_JAVA_SOURCES}
  OUTPUT_NAME iisconfigure
  MANIFEST ${CMAKE_BINARY_DIR}/iisconfigure-manifest.txt
  GENERATE_NATIVE_HEADERS iisconfigure_jni_header DESTINATION ${CMAKE_BINARY_DIR}/jni-header)
set(IISCONFIGURE_JNI_HEADER ${CMAKE_BINARY_DIR}/jni-header/com_vantora_adminserver_helper_ws_IISConfigure.h)

add_library(jni_platform INTERFACE)
if(WIN32)
  # Never put the JDK's include folder on a mingw include path: only jni.h is
  # taken from it, jni_md.h is our own Windows one.
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/cmake/windows/jni.h.in ${CMAKE_BINARY_DIR}/windows-jni/jni.h @ONLY)
  target_include_directories(jni_platform INTERFACE ${CMAKE_BINARY_DIR}/windows-jni ${CMAKE_CURRENT_SOURCE_DIR}/cmake/windows)
else()
  target_include_directories(jni_platform INTERFACE ${JDK_INCLUDE} ${JDK_INCLUDE}/linux)
endif()
