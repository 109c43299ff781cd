# The plug-in module ztNodes: every node folder goes into one object library
# (so tests can link the node code directly) plus the entry point, which
# defines the exported MApiVersion and must be compiled exactly once.
set(ZT_NODE_DIRS core scatter attributes filters display cache noise)
set(ZT_NODE_SOURCES)
foreach(dir IN LISTS ZT_NODE_DIRS)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND ZT_NODE_SOURCES ${dir_sources})
endforeach()
list(FILTER ZT_NODE_SOURCES EXCLUDE REGEX ".*/core/pluginMain\\.cpp$")

add_library(ztNodesObjects OBJECT ${ZT_NODE_SOURCES})
if(ZT_SANITIZE)
    # Instrumented, GCC 12 reports maybe-uninitialized inside <regex> (the
    # std::function of the matcher's states); the condition parser is the
    # one user of <regex>.
    set_source_files_properties(${CMAKE_SOURCE_DIR}/filters/selectionConditions.cpp
                                PROPERTIES COMPILE_OPTIONS -Wno-maybe-uninitialized)
endif()
target_include_directories(ztNodesObjects PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(ztNodesObjects PUBLIC ztHost ztKernels zt_options)
find_package(Boost REQUIRED COMPONENTS serialization filesystem)
target_link_libraries(ztNodesObjects PUBLIC Boost::serialization Boost::filesystem)

add_library(ztNodes MODULE ${CMAKE_SOURCE_DIR}/core/pluginMain.cpp)
target_link_libraries(ztNodes PRIVATE ztNodesObjects)
set_target_properties(ztNodes PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)

