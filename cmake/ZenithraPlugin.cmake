# The plug-in and its product, zenithra.dlt, as both builds make them: against the stand-in SDK
# (sdk/include with the standalone host's libraries) and against the published SDK
# (-DZENITHRA_MAXSDK). The only thing the second changes is where the host's headers and
# libraries come from.

# Compiler settings of every target.
function(zenithra_compile_settings)
  if(MSVC)
    # Sources are UTF-8 (menu texts, test names); the standard's conformance as g++ has it.
    add_compile_options(/W4 /utf-8 /permissive- /Zc:__cplusplus)
  else()
    add_compile_options(-Wall -Wextra)
    # No multiply-add contraction, whatever instructions a build allows: the command-line tool
    # shades rows of samples with the operations a single sample uses, and both must round alike.
    add_compile_options(-ffp-contract=off)
    # Source paths as the project names them ("src/ZenithraProxy.cpp"), for the diagnostic log.
    add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)
  endif()
  if(MINGW)
    # One process, no mingw runtime DLLs to find under Wine.
    add_link_options(-static -static-libgcc -static-libstdc++)
  endif()
  if(WIN32)
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  endif()
endfunction()

# zenithra_platform: the operating-system services of the plug-in.
function(zenithra_add_platform_library)
  if(WIN32)
    add_library(zenithra_platform STATIC ${CMAKE_SOURCE_DIR}/src/platform/PlatformWin32.cpp
      ${CMAKE_SOURCE_DIR}/src/platform/Utf16Bytes.cpp
      ${CMAKE_SOURCE_DIR}/src/platform/FolderFiles.cpp)
    target_link_libraries(zenithra_platform PUBLIC comdlg32)
  else()
    add_library(zenithra_platform STATIC ${CMAKE_SOURCE_DIR}/src/platform/PlatformPosix.cpp
      ${CMAKE_SOURCE_DIR}/src/platform/Utf16Bytes.cpp
      ${CMAKE_SOURCE_DIR}/src/platform/FolderFiles.cpp)
  endif()
endfunction()

# zenithra_plugin: the plug-in's code as objects, with the user interface on Windows.
function(zenithra_add_plugin_objects)
  set(src ${CMAKE_SOURCE_DIR}/src)
  file(GLOB sources CONFIGURE_DEPENDS
    ${src}/core/*.cpp ${src}/shading/*.cpp ${src}/slots/*.cpp ${src}/source/*.cpp
    ${src}/history/*.cpp ${src}/diag/*.cpp ${src}/ZenithraProxy.cpp)
  if(WIN32)
    # The user interface replaces the native build's editor hooks, which open no rollups.
    file(GLOB ui_sources CONFIGURE_DEPENDS ${src}/ui/*.cpp)
    list(APPEND sources ${ui_sources})
    list(REMOVE_ITEM sources ${src}/shading/ZenithraEditorHooks.cpp)
    # Previews through GDI+ replace the native build's, which has no image library to grab with.
    list(REMOVE_ITEM sources ${src}/history/PreviewImagesNative.cpp)
  else()
    list(REMOVE_ITEM sources ${src}/history/PreviewImagesWin32.cpp)
  endif()
  add_library(zenithra_plugin OBJECT ${sources})
endfunction()

# zenithra: the product, a DLL with the host's texture plug-in extension, its exports and its
# resources, linked against the given host libraries.
function(zenithra_add_product)
  add_library(zenithra SHARED $<TARGET_OBJECTS:zenithra_plugin>
    ${CMAKE_SOURCE_DIR}/src/core/zenithra.def ${CMAKE_SOURCE_DIR}/res/zenithra.rc)
  set_target_properties(zenithra PROPERTIES PREFIX "" SUFFIX ".dlt")
  target_link_libraries(zenithra PRIVATE ${ARGN} zenithra_platform user32 gdi32 comdlg32 ole32
    gdiplus)
endfunction()

# zenithra_sdk_probe: compile-time checks of the SDK declarations the plug-in uses. Against the
# published SDK it is the first thing to build: its errors say what differs.
function(zenithra_add_sdk_probe)
  add_library(zenithra_sdk_probe OBJECT ${CMAKE_SOURCE_DIR}/tests/sdk/SdkDeclarationProbe.cpp)
endfunction()

# The build against the published SDK: zenithra.dlt and the probe, nothing else.
function(zenithra_build_against_maxsdk sdk)
  set(libdir ${sdk}/lib/x64/Release)
  set(libs)
  foreach(name core maxutil paramblk2 maxscrpt geom assetmanagement)
    if(NOT EXISTS ${libdir}/${name}.lib)
      message(FATAL_ERROR "ZENITHRA_MAXSDK: ${libdir}/${name}.lib not found")
    endif()
    list(APPEND libs ${libdir}/${name}.lib)
  endforeach()
  if(NOT EXISTS ${sdk}/include/max.h)
    message(FATAL_ERROR "ZENITHRA_MAXSDK: ${sdk}/include/max.h not found")
  endif()
  include_directories(${sdk}/include ${CMAKE_SOURCE_DIR}/src)
  zenithra_add_platform_library()
  zenithra_add_plugin_objects()
  zenithra_add_product(${libs})
  zenithra_add_sdk_probe()
endfunction()
