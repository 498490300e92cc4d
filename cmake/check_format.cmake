# Fails when a C++ source of the project differs from what clang-format makes
# of it with the project's .clang-format.
# Run as: cmake -DPROJECT_DIR=<project> -DCLANG_FORMAT=<program> -P check_format.cmake
cmake_minimum_required(VERSION 3.22)
set(files "")
foreach(folder src tests tools bench)
  file(GLOB_RECURSE found ${PROJECT_DIR}/${folder}/*.h ${PROJECT_DIR}/${folder}/*.cpp)
  list(APPEND files ${found})
endforeach()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
                WORKING_DIRECTORY ${PROJECT_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Sources not formatted; run clang-format -i on the files named above.")
endif()
