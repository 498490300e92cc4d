# Fails when a source folder includes from a layer above it. The layers,
# bottom-up: data, then view, then render and ui (side by side), then shell.
# Run as: cmake -DSOURCE_DIR=<project>/src -P check_layers.cmake
cmake_minimum_required(VERSION 3.22)
set(allowed_data data)
set(allowed_view data view)
set(allowed_render data view render)
set(allowed_ui data view ui)
set(allowed_shell data view render ui shell)

set(faults "")
foreach(layer data view render ui shell)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"([a-z_]+)/.*$" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${layer})
        file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
        string(APPEND faults "  ${rel}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes from a layer above:\n${faults}")
endif()
