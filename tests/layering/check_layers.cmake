# Fails when a source file includes a header from a layer above its own, or from a peer
# it may not use, or when a toolkit header (Qt, OpenGL/GLUT, X11, SDL2) appears outside the
# code that is allowed to use one. Run as: cmake -DSOURCE_DIR=<repo> -P check_layers.cmake
#
# The layers, lowest first:   platform  <  core  <  video, input, media  <  shell  <  apps
# Among the middle three only the display window (video/) and the loader (media/) use
# input/, the keyboard mapping that they pass key events to and type RUN through.
cmake_minimum_required(VERSION 3.25)

set(rank_platform 0)
set(rank_core 1)
set(rank_video 2)
set(rank_input 2)
set(rank_media 2)
set(rank_shell 3)
set(rank_apps 4)
set(peer_arrows "video>input" "media>input")
set(toolkit_folders "platform/qt/" "platform/sdl/" "video/display/" "shell/debug/" "shell/desktop/")

set(faults "")
foreach(folder platform core video input media shell apps)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include [<\"]")
    foreach(line ${includes})
      if(line MATCHES "^#include \"([a-z_]+)/")
        set(target ${CMAKE_MATCH_1})
        if(DEFINED rank_${target} AND NOT target STREQUAL folder)
          if(rank_${target} GREATER rank_${folder})
            list(APPEND faults "${source}: up to ${target}/ (${line})")
          elseif(rank_${target} EQUAL rank_${folder} AND NOT "${folder}>${target}" IN_LIST peer_arrows)
            list(APPEND faults "${source}: across to ${target}/ (${line})")
          endif()
        endif()
      elseif(line MATCHES "^#include <(Q[A-Za-z]|GL/|X11/|SDL2/|SDL)")
        set(allowed FALSE)
        foreach(prefix ${toolkit_folders})
          string(FIND "${source}" "${prefix}" at)
          if(at EQUAL 0)
            set(allowed TRUE)
          endif()
        endforeach()
        if(NOT allowed)
          list(APPEND faults "${source}: toolkit header outside the toolkit code (${line})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " report)
  message(FATAL_ERROR "Includes against the layers:\n  ${report}")
endif()
message(STATUS "Every include points down the layers")
