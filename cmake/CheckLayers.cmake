# cmake -DSOURCE_DIR=src -P CheckLayers.cmake
#
# Fails when a file of src includes from a folder above its own, or when a core/ half includes
# anything that is not a core/ half: the layers below may be used by everything above them, never
# the other way round. A new folder of src joins the order here before it can be built.
set(layers app aprsis packets pages mappicker uiview filter geo base) # highest first

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

get_filename_component(SOURCE_DIR ${SOURCE_DIR} ABSOLUTE)
set(problems "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(source ${sources})
    if(NOT source MATCHES "/")
        continue() # main.cpp and the like stand above every layer
    endif()
    string(REGEX MATCH "^[^/]+" own ${source})
    list(FIND layers ${own} ownRank)
    if(ownRank EQUAL -1)
        string(APPEND problems "\n  ${source}: the folder ${own} has no place in the order of layers")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line ${includes})
        string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
        string(REGEX MATCH "^[^/]+" layer ${included})
        list(FIND layers ${layer} rank)
        if(rank EQUAL -1)
            continue() # generated headers and the like
        endif()
        if(rank LESS ownRank)
            string(APPEND problems "\n  ${source} includes ${included}, from the layer ${layer} above ${own}")
        endif()
        if(source MATCHES "/core/" AND NOT included MATCHES "^[^/]+/core/")
            string(APPEND problems "\n  ${source} includes ${included}, which is not a core half")
        endif()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "Includes that run upwards (order: ${layers}):${problems}")
endif()
list(LENGTH sources count)
message(STATUS "Layers: ${count} files include only downwards")
