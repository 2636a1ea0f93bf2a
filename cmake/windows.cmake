# Windows build: the Win32 layer, varnel.exe and (when present) the end-to-end tests.
enable_language(RC)

# Nothing in the program catches an exception or asks for a type at run time, and what the
# library would throw ends the program (NoThrow.cpp): the code needs no clean-up paths and
# no type information. Unwind tables are then read by nothing on 32-bit Windows; 64-bit
# Windows itself walks the stack with them.
target_compile_options(varnel_core PUBLIC -fno-exceptions -fno-rtti
  $<$<EQUAL:${CMAKE_SIZEOF_VOID_P},4>:-fno-asynchronous-unwind-tables>)
# The same exe from any folder: no build paths in it (the PE time stamp follows
# SOURCE_DATE_EPOCH when set, which scripts/package sets from the commit).
target_compile_options(varnel_core PUBLIC -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
  -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# Wine loader matching this build's word size, for the end-to-end tests.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VARNEL_WINE_DEFAULT /usr/lib/wine/wine64)
  set(VARNEL_WINEARCH_DEFAULT win64)
else()
  set(VARNEL_WINE_DEFAULT /usr/lib/wine/wine)
  set(VARNEL_WINEARCH_DEFAULT win32)
endif()
set(VARNEL_WINE ${VARNEL_WINE_DEFAULT} CACHE FILEPATH "Wine loader that runs this build's programs")
set(VARNEL_WINEARCH ${VARNEL_WINEARCH_DEFAULT} CACHE STRING "WINEARCH of prefixes for this build")

set(WIN32_DIR ${CMAKE_SOURCE_DIR}/src/platform/win32)
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS ${WIN32_DIR}/*.cpp)
list(REMOVE_ITEM WIN32_SOURCES ${WIN32_DIR}/NoThrow.cpp)

# The Win32 layer; the entry point is app/main.cpp.
add_library(varnel_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(varnel_win32 PUBLIC varnel_core
  user32 gdi32 shell32 advapi32 comctl32 ole32 uuid)
target_compile_definitions(varnel_win32 PUBLIC UNICODE _UNICODE NOMINMAX)

# wWinMain entry, GUI subsystem, no DLLs beyond the system's.
add_executable(varnel WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${WIN32_DIR}/NoThrow.cpp
  ${CMAKE_SOURCE_DIR}/assets/varnel.rc)
set_target_properties(varnel PROPERTIES OUTPUT_NAME varnel)
target_link_libraries(varnel PRIVATE varnel_win32)
target_link_options(varnel PRIVATE -mwindows -municode -static -static-libgcc -static-libstdc++
  -Wl,--gc-sections $<$<CONFIG:Release,MinSizeRel>:-s>)
# The version resource and the manifest take the project's version.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/version.h CONTENT
  "#define VARNEL_VERSION_TEXT \"${PROJECT_VERSION}\"
#define VARNEL_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0
")
configure_file(${CMAKE_SOURCE_DIR}/assets/varnel.manifest.in
  ${CMAKE_BINARY_DIR}/generated/varnel.manifest @ONLY)
target_include_directories(varnel PRIVATE ${CMAKE_BINARY_DIR}/generated)
# windres finds the icon beside the resource script, the manifest and version.h in generated/;
# rebuild when they change.
set_source_files_properties(${CMAKE_SOURCE_DIR}/assets/varnel.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/assets/varnel.ico;${CMAKE_BINARY_DIR}/generated/varnel.manifest")

# The program reads its icon file from its own directory at start.
add_custom_command(TARGET varnel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${CMAKE_SOURCE_DIR}/assets/varnel.ico $<TARGET_FILE_DIR:varnel>/图标.ico
  VERBATIM)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/CMakeLists.txt)
  add_subdirectory(tests/bench)
endif()
